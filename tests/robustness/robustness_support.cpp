#include "robustness/robustness_support.h"

#include "hostsupport/import_hook.h"
#include "common/text.h"
#include "views/core/column_rules.h"

#include <oleauto.h>
#include <psapi.h>

#include <cwchar>
#include <mutex>
#include <set>

namespace robustness {
namespace {

using CreateFileAFn = HANDLE(WINAPI*)(LPCSTR, DWORD, DWORD, LPSECURITY_ATTRIBUTES, DWORD, DWORD, HANDLE);
using CreateFileWFn = HANDLE(WINAPI*)(LPCWSTR, DWORD, DWORD, LPSECURITY_ATTRIBUTES, DWORD, DWORD, HANDLE);
using CloseHandleFn = BOOL(WINAPI*)(HANDLE);

CreateFileAFn g_createFileA = nullptr;
CreateFileWFn g_createFileW = nullptr;
CloseHandleFn g_closeHandle = nullptr;

struct WatchState {
    std::mutex lock;
    int watchers = 0;
    long opens = 0;
    long bad = 0;
    std::set<HANDLE> open;
};
WatchState& State() {
    static WatchState* state = new WatchState;
    return *state;
}

void NoteOpen(HANDLE handle, DWORD access, DWORD share) {
    WatchState& s = State();
    std::lock_guard<std::mutex> guard(s.lock);
    if (s.watchers == 0) return;
    ++s.opens;
    const DWORD writing = GENERIC_WRITE | GENERIC_ALL | FILE_WRITE_DATA | FILE_APPEND_DATA | DELETE;
    if (!(share & FILE_SHARE_READ) || (share & FILE_SHARE_DELETE) || (access & writing)) ++s.bad;
    if (handle != INVALID_HANDLE_VALUE) s.open.insert(handle);
}

HANDLE WINAPI WatchedCreateFileA(LPCSTR a, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES d, DWORD e, DWORD f,
                                 HANDLE g) {
    HANDLE h = g_createFileA(a, access, share, d, e, f, g);
    // The null device a child gets for the streams nobody reads is no user's file.
    if (a && lstrcmpiA(a, "NUL") == 0) return h;
    NoteOpen(h, access, share);
    return h;
}
HANDLE WINAPI WatchedCreateFileW(LPCWSTR a, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES d, DWORD e, DWORD f,
                                 HANDLE g) {
    HANDLE h = g_createFileW(a, access, share, d, e, f, g);
    NoteOpen(h, access, share);
    return h;
}
BOOL WINAPI WatchedCloseHandle(HANDLE h) {
    {
        WatchState& s = State();
        std::lock_guard<std::mutex> guard(s.lock);
        s.open.erase(h);
    }
    return g_closeHandle(h);
}

// Points the module's kernel32 imports of CreateFileA/W and CloseHandle at the watching versions.
void HookImports(HMODULE module) {
    g_createFileA = reinterpret_cast<CreateFileAFn>(
        ferrow::ReplaceImport(module, "kernel32.dll", "CreateFileA", reinterpret_cast<void*>(&WatchedCreateFileA)));
    g_createFileW = reinterpret_cast<CreateFileWFn>(
        ferrow::ReplaceImport(module, "kernel32.dll", "CreateFileW", reinterpret_cast<void*>(&WatchedCreateFileW)));
    g_closeHandle = reinterpret_cast<CloseHandleFn>(
        ferrow::ReplaceImport(module, "kernel32.dll", "CloseHandle", reinterpret_cast<void*>(&WatchedCloseHandle)));
}

std::wstring FolderOf(const std::wstring& path) {
    const size_t slash = path.find_last_of(L'\\');
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

}  // namespace

Dll::Dll() {
    module_ = ::LoadLibraryA(FERROW_DLL);
    if (!module_) return;
    getClassObject_ = reinterpret_cast<decltype(getClassObject_)>(
        reinterpret_cast<void*>(::GetProcAddress(module_, "DllGetClassObject")));
    HookImports(module_);
}

Dll& Dll::Get() {
    static Dll* dll = new Dll;  // kept loaded until the process ends, as Explorer does
    return *dll;
}

FileWatch::FileWatch() {
    WatchState& s = State();
    std::lock_guard<std::mutex> guard(s.lock);
    if (s.watchers++ == 0) {
        s.opens = 0;
        s.bad = 0;
        s.open.clear();
    }
}

FileWatch::~FileWatch() {
    WatchState& s = State();
    std::lock_guard<std::mutex> guard(s.lock);
    --s.watchers;
}

long FileWatch::Opens() const {
    std::lock_guard<std::mutex> guard(State().lock);
    return State().opens;
}
long FileWatch::UnsafeOpens() const {
    std::lock_guard<std::mutex> guard(State().lock);
    return State().bad;
}
long FileWatch::StillOpen() const {
    std::lock_guard<std::mutex> guard(State().lock);
    return static_cast<long>(State().open.size());
}

HRESULT ColumnText(IColumnProvider* provider, const GUID& fmtid, DWORD pid, const std::wstring& path,
                   std::string& text) {
    text.clear();
    SHCOLUMNID id = {fmtid, pid};
    SHCOLUMNDATA data = {};
    std::wcsncpy(data.wszFile, path.c_str(), MAX_PATH - 1);
    data.dwFileAttributes = ::GetFileAttributesW(path.c_str());
    VARIANT v;
    ::VariantInit(&v);
    const HRESULT hr = provider->GetItemData(&id, &data, &v);
    if (V_VT(&v) == VT_BSTR && V_BSTR(&v)) text = ferrow::WideToAnsi(V_BSTR(&v));
    ::VariantClear(&v);
    return hr;
}

HRESULT BuildMenu(const std::vector<std::wstring>& selection, UINT flags, int& items) {
    items = -1;
    auto menu = Dll::Get().Create<IShellExtInit>(CLSID_CCVSContextMenu);
    if (!menu) return E_NOINTERFACE;
    ferrow::ComPtr<IDataObject> data = ferrow::MakeHDropDataObject(selection);
    HRESULT hr = menu->Initialize(nullptr, data.Get(), nullptr);
    if (FAILED(hr)) return hr;
    ferrow::ComPtr<IContextMenu> context;
    hr = menu->QueryInterface(IID_IContextMenu, context.PutVoid());
    if (FAILED(hr)) return hr;
    ferrow::UniqueMenu popup(::CreatePopupMenu());
    hr = context->QueryContextMenu(popup.Get(), 0, 1, 0x7FFF, flags);
    items = ::GetMenuItemCount(popup.Get());
    return hr;
}

ViewAnswers AskViews(const std::wstring& path, const std::wstring& folder) {
    ViewAnswers a;
    Dll& dll = Dll::Get();
    if (auto overlay = dll.Create<IShellIconOverlayIdentifier>(CLSID_CCVSModifiedIconOverlay))
        a.controlled = overlay->IsMemberOf(path.c_str(), 0);
    if (auto overlay = dll.Create<IShellIconOverlayIdentifier>(CLSID_CCVSIconOverlay))
        a.modified = overlay->IsMemberOf(path.c_str(), 0);
    if (auto columns = dll.Create<IColumnProvider>(CLSID_CCVSColumnProvider)) {
        SHCOLUMNINIT init = {};
        std::wcsncpy(init.wszFolder, folder.c_str(), MAX_PATH - 1);
        a.columnsInit = columns->Initialize(&init);
        a.status = ColumnText(columns.Get(), ferrow::kColumnFormatId, kPidStatus, path, a.statusText);
        a.revision = ColumnText(columns.Get(), FMTID_SummaryInformation, kPidRevisionNumber, path, a.revisionText);
    }
    a.menu = BuildMenu({path}, CMF_NORMAL, a.menuItems);
    return a;
}

namespace {

struct ThreadStart {
    void (*body)(int, void*);
    void* context;
    int index;
};

DWORD WINAPI ThreadMain(void* parameter) {
    const ThreadStart start = *static_cast<ThreadStart*>(parameter);
    delete static_cast<ThreadStart*>(parameter);
    // Each thread is an apartment of its own, as Explorer's window threads are.
    const HRESULT hr = ::OleInitialize(nullptr);
    start.body(start.index, start.context);
    if (SUCCEEDED(hr)) ::OleUninitialize();
    return 0;
}

}  // namespace

bool RunThreads(int count, DWORD timeoutMs, void (*body)(int, void*), void* context) {
    std::vector<HANDLE> threads;
    for (int i = 0; i < count; ++i) {
        HANDLE h = ::CreateThread(nullptr, 0, ThreadMain, new ThreadStart{body, context, i}, 0, nullptr);
        if (h) threads.push_back(h);
    }
    bool ended = true;
    const DWORD deadline = ::GetTickCount() + timeoutMs;
    for (HANDLE h : threads) {
        const DWORD now = ::GetTickCount();
        const DWORD left = static_cast<LONG>(deadline - now) > 0 ? deadline - now : 0;
        if (!WaitPumping(h, left)) ended = false;
    }
    for (HANDLE h : threads) ::CloseHandle(h);
    return ended && static_cast<int>(threads.size()) == count;
}

bool WaitPumping(HANDLE handle, DWORD timeoutMs) {
    const DWORD deadline = ::GetTickCount() + timeoutMs;
    for (;;) {
        const DWORD now = ::GetTickCount();
        const DWORD left = static_cast<LONG>(deadline - now) > 0 ? deadline - now : 0;
        const DWORD rc = ::MsgWaitForMultipleObjects(1, &handle, FALSE, left, QS_ALLINPUT);
        if (rc == WAIT_OBJECT_0) return true;
        if (rc != WAIT_OBJECT_0 + 1) return false;
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
    }
}

DWORD HandleCount() {
    // Wine reports no count (GetProcessHandleCount gives 0): probe the handle values instead, which are
    // small multiples of four. The probe costs one question per value, so it is for tests only.
    DWORD reported = 0;
    if (::GetProcessHandleCount(::GetCurrentProcess(), &reported) && reported > 0) return reported;
    DWORD count = 0;
    for (ULONG_PTR value = 4; value < 0x10000; value += 4) {
        DWORD flags = 0;
        if (::GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags)) ++count;
    }
    return count;
}

size_t PrivateBytes() {
    // The bytes in use in every heap of the process (the C runtime's included): a leaked block stays in
    // use, while freed memory that a heap keeps committed does not count. Wine reports no private usage.
    HANDLE heaps[64];
    const DWORD n = ::GetProcessHeaps(64, heaps);
    size_t busy = 0;
    for (DWORD i = 0; i < n && i < 64; ++i) {
        if (!::HeapLock(heaps[i])) continue;
        PROCESS_HEAP_ENTRY entry = {};
        while (::HeapWalk(heaps[i], &entry)) {
            if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) busy += entry.cbData;
        }
        ::HeapUnlock(heaps[i]);
    }
    return busy;
}

void WriteWide(const std::wstring& path, const std::string& bytes) {
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    size_t done = 0;
    while (done < bytes.size()) {
        const DWORD chunk = static_cast<DWORD>(bytes.size() - done < (1u << 24) ? bytes.size() - done : (1u << 24));
        DWORD wrote = 0;
        if (!::WriteFile(file, bytes.data() + done, chunk, &wrote, nullptr) || wrote == 0) break;
        done += wrote;
    }
    ::CloseHandle(file);
}

void MakeFolderWide(const std::wstring& path) {
    const std::wstring parent = FolderOf(path);
    if (!parent.empty() && ::GetFileAttributesW(parent.c_str()) == INVALID_FILE_ATTRIBUTES) MakeFolderWide(parent);
    ::CreateDirectoryW(path.c_str(), nullptr);
}

std::wstring Widen(const std::string& ansi) { return ferrow::AnsiToWide(ansi); }

}  // namespace robustness
