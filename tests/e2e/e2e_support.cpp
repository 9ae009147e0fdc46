#include "e2e/e2e_support.h"

#include "menu/core/menu_rules.h"

#include "hostsupport/hdrop_data_object.h"
#include "common/text.h"
#include "hostsupport/band_host.h"
#include "com/guids.h"
#include "com/interface_ids.h"
#include "support/fixtures.h"

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>

namespace e2e {

namespace {

using GetClassObjectFn = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);

GetClassObjectFn DllEntry() {
    static GetClassObjectFn entry = [] {
        HMODULE dll = ::LoadLibraryA(FERROW_DLL);  // stays loaded for the process, as in Explorer
        return dll ? reinterpret_cast<GetClassObjectFn>(::GetProcAddress(dll, "DllGetClassObject")) : nullptr;
    }();
    return entry;
}

std::string Slashes(std::string path) {
    for (char& c : path) {
        if (c == '\\') c = '/';
    }
    return path;
}

// A handle that a child process inherits, writing to a new file.
ferrow::UniqueFile InheritableFile(const std::string& path) {
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    return ferrow::UniqueFile(::CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                                            CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
}

void Run(const std::string& folder, const std::string& arguments) {
    CvsRun run = RunCvs(folder, arguments);
    if (run.exitCode != 0)
        throw std::runtime_error("cvs " + arguments + " in " + folder + " failed: " + run.err);
}

void WriteNew(const std::string& path, const std::string& text) { testing_support::WriteTextFile(path, text); }

// The repository and working copy every sandbox copies, made once per process by the client.
struct Original {
    std::unique_ptr<testing_support::TempDir> dir;
    std::string repo, root, wc;
};

const Original& TheOriginal() {
    static Original original = [] {
        Original o;
        o.dir = std::make_unique<testing_support::TempDir>("ferrow-e2e-original");
        const std::string& base = o.dir->Path();
        o.repo = base + "\\repo";
        o.root = ":local:" + Slashes(o.repo);
        Run(base, "-d " + o.root + " init");
        const std::string import = base + "\\import";
        WriteNew(import + "\\a.txt", "alpha\r\nbeta\r\ngamma\r\n");
        WriteNew(import + "\\b.txt", "one\r\ntwo\r\nthree\r\n");
        WriteNew(import + "\\c.txt", "red\r\ngreen\r\nblue\r\n");
        WriteNew(import + "\\hist.c", "int main(void) { return 0; }\r\n");
        WriteNew(import + "\\sub\\d.txt", "deep\r\n");
        Run(import, "-Q -d " + o.root + " import -m \"first import\" proj vendor start");
        Run(base, "-Q -d " + o.root + " checkout proj");
        o.wc = base + "\\proj";
        const std::string& wc = o.wc;
        WriteNew(wc + "\\image.bin", std::string("\x89PNG\r\n\x1a\n\0\0\0\rbinary", 18));
        Run(wc, "-Q add -kb image.bin");
        EditFile(wc + "\\hist.c", "int main(void) { return 1; }\r\n");
        Run(wc, "-Q commit -m \"second revision\" hist.c image.bin");
        Run(wc, "-Q tag REL_1 hist.c");
        Run(wc, "-Q tag -b BR_1 hist.c");
        Run(wc, "-Q update -r BR_1 hist.c");
        EditFile(wc + "\\hist.c", "int main(void) { return 2; }\r\n");
        Run(wc, "-Q commit -m \"on the branch\" hist.c");
        Run(wc, "-Q update -A hist.c");
        EditFile(wc + "\\hist.c", "int main(void) { return 3; }\r\n");
        Run(wc, "-Q commit -m \"third revision\" hist.c");
        Run(wc, "-Q tag REL_2 hist.c");
        return o;
    }();
    return original;
}

}  // namespace

HRESULT CreateFromDll(REFCLSID clsid, REFIID riid, void** ppv) {
    *ppv = nullptr;
    GetClassObjectFn entry = DllEntry();
    if (!entry) return HRESULT_FROM_WIN32(ERROR_MOD_NOT_FOUND);
    ferrow::ComPtr<IClassFactory> factory;
    HRESULT hr = entry(clsid, IID_IClassFactory, factory.PutVoid());
    if (FAILED(hr)) return hr;
    return factory->CreateInstance(nullptr, riid, ppv);
}

CvsRun RunCvs(const std::string& folder, const std::string& arguments) {
    CvsRun run;
    testing_support::TempDir capture("ferrow-e2e-run");
    const std::string outPath = capture / "out", errPath = capture / "err";
    {
        ferrow::UniqueFile out = InheritableFile(outPath), err = InheritableFile(errPath);
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = nullptr;
        startup.hStdOutput = out.Get();
        startup.hStdError = err.Get();
        PROCESS_INFORMATION process = {};
        std::string line = "cvs " + arguments;
        if (!::CreateProcessA(nullptr, &line[0], nullptr, nullptr, TRUE, 0, nullptr, folder.c_str(), &startup,
                              &process))
            return run;
        ferrow::UniqueKernelHandle processHandle(process.hProcess), threadHandle(process.hThread);
        ::WaitForSingleObject(process.hProcess, INFINITE);
        ::GetExitCodeProcess(process.hProcess, &run.exitCode);
    }
    run.out = ReadFile(outPath);
    run.err = ReadFile(errPath);
    return run;
}

std::string ReadFile(const std::string& path) { return testing_support::ReadTextFile(path); }

bool Exists(const std::string& path) { return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

void EditFile(const std::string& path, const std::string& text) {
    FILETIME before = {};
    WIN32_FILE_ATTRIBUTE_DATA data;
    const bool existed = ::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data) != FALSE;
    if (existed) before = data.ftLastWriteTime;
    testing_support::WriteTextFile(path, text);
    if (!existed) return;
    ferrow::UniqueFile file(::CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                          nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    FILETIME now;
    ::GetSystemTimeAsFileTime(&now);
    ULARGE_INTEGER old, fresh;
    old.LowPart = before.dwLowDateTime;
    old.HighPart = before.dwHighDateTime;
    fresh.LowPart = now.dwLowDateTime;
    fresh.HighPart = now.dwHighDateTime;
    const ULONGLONG second = 10000000;
    // Whole seconds: the administrative files record seconds, so the change must show in them.
    if (fresh.QuadPart / second <= old.QuadPart / second) fresh.QuadPart = (old.QuadPart / second + 1) * second;
    FILETIME when = {fresh.LowPart, fresh.HighPart};
    ::SetFileTime(file.Get(), nullptr, nullptr, &when);
}

std::string EntryLine(const std::string& file) {
    const size_t slash = file.find_last_of('\\');
    const std::string name = file.substr(slash + 1);
    const std::string entries = ReadFile(file.substr(0, slash) + "\\CVS\\Entries");
    size_t pos = 0;
    while (pos < entries.size()) {
        size_t end = entries.find('\n', pos);
        if (end == std::string::npos) end = entries.size();
        std::string line = entries.substr(pos, end - pos);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.compare(0, name.size() + 2, "/" + name + "/") == 0) return line;
        pos = end + 1;
    }
    return std::string();
}

// Sandbox

namespace {

// Points every CVS/Root below a working folder at another repository, as the client writes it.
void Repoint(const std::string& folder, const std::string& root) {
    if (Exists(folder + "\\CVS\\Root")) testing_support::WriteTextFile(folder + "\\CVS\\Root", root + "\r\n");
    WIN32_FIND_DATAA data;
    HANDLE find = ::FindFirstFileA((folder + "\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        const std::string name = data.cFileName;
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || name == "." || name == ".." || name == "CVS")
            continue;
        Repoint(folder + "\\" + name, root);
    } while (::FindNextFileA(find, &data));
    ::FindClose(find);
}

int g_sandboxes = 0;

}  // namespace

Sandbox::Sandbox() {
    const Original& original = TheOriginal();
    char temp[MAX_PATH] = {};
    ::GetTempPathA(MAX_PATH, temp);
    base_ = std::string(temp) + "ferrow-e2e-" + std::to_string(::GetCurrentProcessId()) + "-" +
            std::to_string(g_sandboxes++);
    testing_support::DeleteTree(base_);
    ::CreateDirectoryA(base_.c_str(), nullptr);
    repo_ = base_ + "\\repo";
    root_ = ":local:" + Slashes(repo_);
    testing_support::CopyTree(original.repo, repo_);
    wc_ = SecondWorkingCopy();
}

Sandbox::~Sandbox() { testing_support::DeleteTree(base_); }

std::string Sandbox::operator/(const std::string& name) const {
    std::string path = wc_ + "\\" + name;
    for (char& c : path) {
        if (c == '/') c = '\\';
    }
    return path;
}

std::string Sandbox::SecondWorkingCopy() {
    const std::string wc = base_ + "\\wc" + std::to_string(++copies_) + "\\proj";
    ::CreateDirectoryA((base_ + "\\wc" + std::to_string(copies_)).c_str(), nullptr);
    testing_support::CopyTree(TheOriginal().wc, wc);
    Repoint(wc, root_);
    return wc;
}

std::string ItemText(HWND dialog, int id) { return WindowText(::GetDlgItem(dialog, id)); }

void SetItemText(HWND dialog, int id, const std::string& text) {
    ::SendMessageA(::GetDlgItem(dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void Check(HWND dialog, int id, bool on) {
    ::SendDlgItemMessageA(dialog, id, BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
}

void Press(HWND dialog, int id) {
    ::PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(dialog, id)));
}

// Explorer

struct Explorer::Impl {
    CBandHost host{[](REFCLSID clsid, IUnknown** band) {
                       return CreateFromDll(clsid, IID_IUnknown, reinterpret_cast<void**>(band));
                   },
                   "Ferrow end-to-end"};
};

Explorer::Explorer() : impl_(new Impl) {
    ferrow::ComPtr<IUnknown> band;
    EXPECT_EQ(S_OK, CreateFromDll(CLSID_CConsoleBar, IID_IUnknown, band.PutVoid()));
    if (band) {
        EXPECT_EQ(S_OK, impl_->host.OpenBand(band.Get()));
    }
}

Explorer::~Explorer() {
    impl_->host.CloseBand();
    delete impl_;
}

HWND Explorer::Frame() const { return impl_->host.Frame(); }

ferrow::ComPtr<IContextMenu> Explorer::Handler(const std::vector<std::string>& paths) {
    ferrow::ComPtr<IShellExtInit> init = Create<IShellExtInit>(CLSID_CCVSContextMenu);
    ferrow::ComPtr<IContextMenu> menu;
    if (!init) return menu;
    ferrow::ComPtr<IObjectWithSite> site;
    if (SUCCEEDED(init.As(site))) site->SetSite(impl_->host.Site());
    auto data = ferrow::MakeHDropDataObject(paths);
    if (FAILED(init->Initialize(nullptr, data.Get(), nullptr))) return menu;
    init.As(menu);
    return menu;
}

std::string Explorer::Menu(const std::vector<std::string>& paths) {
    static const char* const kNames[menu::kCommandCount] = {
        "Update", "Commit", "Diff", "Add", "Remove", "Custom", "Undo", "Tag", "Reset", "Options",
        "Checkout", "Import", "Login", "Logout", "CheckMods", "Annotate", "UpdateTo"};
    ferrow::ComPtr<IContextMenu> handler = Handler(paths);
    if (!handler) return std::string();
    ferrow::UniqueMenu menu(::CreatePopupMenu());
    if (FAILED(handler->QueryContextMenu(menu.Get(), 0, 100, 200, CMF_NORMAL))) return "<failed>";
    HMENU sub = ::GetSubMenu(menu.Get(), 0);
    std::string items;
    for (int i = 0; sub && i < ::GetMenuItemCount(sub); ++i) {
        MENUITEMINFOA info = {};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_ID;
        ::GetMenuItemInfoA(sub, static_cast<UINT>(i), TRUE, &info);
        if (!items.empty()) items += ' ';
        const unsigned offset = info.wID - 100;
        items += (info.fType & MFT_SEPARATOR) ? "-" : offset < menu::kCommandCount ? kNames[offset] : "?";
    }
    return items;
}

HRESULT Explorer::Invoke(IContextMenu* handler, unsigned offset, bool ui) {
    if (!handler) return E_POINTER;
    CMINVOKECOMMANDINFO info = {};
    info.cbSize = sizeof info;
    info.fMask = ui ? 0 : CMIC_MASK_FLAG_NO_UI;
    info.hwnd = Frame();
    info.lpVerb = MAKEINTRESOURCEA(offset);
    info.nShow = SW_SHOWNORMAL;
    const HRESULT hr = handler->InvokeCommand(&info);
    CBandHost::PumpMessages();  // the refresh keystrokes, painting
    return hr;
}

HRESULT Explorer::Invoke(const std::vector<std::string>& paths, unsigned offset, bool ui) {
    ferrow::ComPtr<IContextMenu> handler = Handler(paths);
    return Invoke(handler.Get(), offset, ui);
}

std::string Explorer::Console() const {
    HWND edit = nullptr;
    if (impl_->host.Band()) impl_->host.Band()->GetWindow(&edit);
    return edit ? WindowText(edit) : std::string("<no console>");
}

// Views

std::string Overlays(const std::string& path) {
    const std::wstring wide = testing_support::WideOf(path);
    auto controlled = Create<IShellIconOverlayIdentifier>(CLSID_CCVSModifiedIconOverlay);
    auto modified = Create<IShellIconOverlayIdentifier>(CLSID_CCVSIconOverlay);
    if (!controlled || !modified) return "<no overlay objects>";
    std::string answer;
    if (controlled->IsMemberOf(wide.c_str(), 0) == S_OK) answer = "controlled";
    if (modified->IsMemberOf(wide.c_str(), 0) == S_OK) answer += answer.empty() ? "modified" : " modified";
    return answer;
}

Columns ColumnsOf(const std::string& path, bool withAuthor) {
    Columns columns{"-", "-", "-", "-", "-"};
    auto provider = Create<IColumnProvider>(CLSID_CCVSColumnProvider);
    if (!provider) return columns;
    const std::string folder = path.substr(0, path.find_last_of('\\'));
    SHCOLUMNINIT init = {};
    wcsncpy(init.wszFolder, testing_support::WideOf(folder).c_str(), MAX_PATH - 1);
    if (FAILED(provider->Initialize(&init))) return columns;
    auto value = [&](const GUID& fmtid, DWORD pid) {
        SHCOLUMNID id = {fmtid, pid};
        SHCOLUMNDATA data = {};
        const std::wstring wide = testing_support::WideOf(path);
        wcsncpy(data.wszFile, wide.c_str(), MAX_PATH - 1);
        data.dwFileAttributes = ::GetFileAttributesW(wide.c_str());
        VARIANT v;
        ::VariantInit(&v);
        std::string text = "-";
        if (provider->GetItemData(&id, &data, &v) == S_OK && V_VT(&v) == VT_BSTR) text = ferrow::WideToAnsi(V_BSTR(&v));
        ::VariantClear(&v);
        return text;
    };
    columns.status = value(ferrow::kColumnFormatId, 0);
    columns.tag = value(ferrow::kColumnFormatId, 1);
    columns.options = value(ferrow::kColumnFormatId, 2);
    columns.revision = value(FMTID_SummaryInformation, PIDSI_REVNUMBER);
    if (withAuthor) columns.author = value(FMTID_SummaryInformation, PIDSI_AUTHOR);
    return columns;
}

}  // namespace e2e
