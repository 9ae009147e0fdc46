// props [--page <n>] [--tree] [--for <ms>] [--shot <file.bmp>] <paths...>: the Properties dialog of the items with the
// extension's pages. Through COM the shell itself hosts the pages (the "properties" verb of the items'
// context menu, which loads the registered property-sheet handlers); with --dll the host makes the handler
// from the DLL and shows its pages in a sheet of its own. A watcher thread selects page n, switches the
// History page to its tree with --tree (every node opened), prints what the page shows, leaves the dialog open for --for
// milliseconds (default 1500), with --shot writes the dialog as the screen shows it to a BMP file, and
// closes it.
#include "host.h"

#include "hostsupport/hdrop_data_object.h"
#include "common/text.h"
#include "resources/resource.h"
#include "com/guids.h"

#include <commctrl.h>
#include <prsht.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace ferrowsh {
namespace {

struct Watch {
    std::string shot;  // --shot: a BMP of the dialog as it is shown
    int page = 0;
    bool tree = false;
    DWORD holdMs = 1500;
    DWORD threadId = 0;
    bool found = false;
};

std::string ControlText(HWND page, int id) {
    char text[512] = {};
    ::GetDlgItemTextA(page, id, text, sizeof text);
    return text;
}

// A property sheet of this process: visible and holding the sheet's tab control. Not by its title, which
// is in the user's language ("Properties for ..." in English, "Eigenschaften ..." in German).
BOOL CALLBACK FindSheet(HWND window, LPARAM param) {
    DWORD process = 0;
    ::GetWindowThreadProcessId(window, &process);
    if (process != ::GetCurrentProcessId() || !::IsWindowVisible(window)) return TRUE;
    if (!::FindWindowExA(window, nullptr, "SysTabControl32", nullptr)) return TRUE;
    *reinterpret_cast<HWND*>(param) = window;
    return FALSE;
}

void PrintPage(HWND page) {
    if (::GetDlgItem(page, IDC_CVS_FILES)) {
        std::printf("CVS page: root \"%s\", repository \"%s\", tag \"%s\"\n", ControlText(page, IDC_CVS_ROOT).c_str(),
                    ControlText(page, IDC_CVS_REPOSITORY).c_str(), ControlText(page, IDC_CVS_TAG).c_str());
        HWND files = ::GetDlgItem(page, IDC_CVS_FILES);
        const int n = static_cast<int>(::SendMessageA(files, CB_GETCOUNT, 0, 0));
        for (int i = 0; i < n; ++i) {
            char text[MAX_PATH] = {};
            ::SendMessageA(files, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
            std::printf("  file %s\n", text);
        }
        std::printf("  log: %d characters\n", ::GetWindowTextLengthA(::GetDlgItem(page, IDC_CVS_LOG)));
    } else if (HWND list = ::GetDlgItem(page, IDC_HISTORY_LIST)) {
        std::printf("History page: %d revisions, %u tree nodes\n", ListView_GetItemCount(list),
                    static_cast<unsigned>(TreeView_GetCount(::GetDlgItem(page, IDC_HISTORY_TREE))));
    }
    std::fflush(stdout);
}

// Writes what the screen shows of the window as a 24-bit BMP file.
bool SaveWindowShot(HWND window, const std::string& file) {
    RECT r;
    if (!::GetWindowRect(window, &r)) return false;
    const int width = r.right - r.left, height = r.bottom - r.top;
    if (width <= 0 || height <= 0) return false;
    HDC screen = ::GetDC(nullptr);
    HDC memory = ::CreateCompatibleDC(screen);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = ::CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    bool ok = false;
    if (bitmap && memory) {
        HGDIOBJ old = ::SelectObject(memory, bitmap);
        ::BitBlt(memory, 0, 0, width, height, screen, r.left, r.top, SRCCOPY);
        ::GdiFlush();
        ::SelectObject(memory, old);
        const DWORD stride = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
        const DWORD size = stride * static_cast<DWORD>(height);
        BITMAPFILEHEADER header = {};
        header.bfType = 0x4D42;  // "BM"
        header.bfOffBits = sizeof(header) + sizeof(info.bmiHeader);
        header.bfSize = header.bfOffBits + size;
        ferrow::UniqueFile out(::CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        DWORD wrote = 0;
        ok = out && ::WriteFile(out.Get(), &header, sizeof(header), &wrote, nullptr) &&
             ::WriteFile(out.Get(), &info.bmiHeader, sizeof(info.bmiHeader), &wrote, nullptr) &&
             ::WriteFile(out.Get(), bits, size, &wrote, nullptr);
    }
    if (bitmap) ::DeleteObject(bitmap);
    if (memory) ::DeleteDC(memory);
    ::ReleaseDC(nullptr, screen);
    return ok;
}

// Opens every node, so a screenshot shows the whole tree.
void ExpandAll(HWND tree, HTREEITEM item) {
    for (; item; item = TreeView_GetNextSibling(tree, item)) {
        TreeView_Expand(tree, item, TVE_EXPAND);
        ExpandAll(tree, TreeView_GetChild(tree, item));
    }
}

DWORD WINAPI WatchSheet(void* param) {
    Watch& watch = *static_cast<Watch*>(param);
    HWND sheet = nullptr;
    for (int i = 0; i < 600 && !sheet; ++i) {  // up to 30 s: a first start of the shell is slow
        ::Sleep(50);
        ::EnumThreadWindows(watch.threadId, FindSheet, reinterpret_cast<LPARAM>(&sheet));
        if (!sheet) ::EnumWindows(FindSheet, reinterpret_cast<LPARAM>(&sheet));
    }
    if (!sheet) return 0;
    watch.found = true;
    ::SendMessageA(sheet, PSM_SETCURSEL, watch.page, 0);
    HWND page = reinterpret_cast<HWND>(::SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
    // The page fetches its log on a worker and fills in when it arrives: wait for it (bounded).
    char loading[256] = {};
    if (page) {
        const auto dll = reinterpret_cast<HINSTANCE>(::GetWindowLongPtrA(page, GWLP_HINSTANCE));
        ::LoadStringA(dll, IDS_PAGE_LOG_LOADING, loading, sizeof loading);
    }
    for (int i = 0; page && i < 400; ++i) {
        char row[256] = {};
        if (HWND list = ::GetDlgItem(page, IDC_HISTORY_LIST)) ListView_GetItemText(list, 0, 0, row, sizeof row);
        const bool cvsLoading = ::GetDlgItem(page, IDC_CVS_LOG) && ControlText(page, IDC_CVS_LOG) == loading;
        if (!cvsLoading && std::strcmp(loading, row) != 0) break;
        ::Sleep(50);
    }
    if (page && watch.tree && ::GetDlgItem(page, IDC_HISTORY_SHOW_TREE)) {
        ::SendMessageA(::GetDlgItem(page, IDC_HISTORY_SHOW_TREE), BM_CLICK, 0, 0);
        HWND tree = ::GetDlgItem(page, IDC_HISTORY_TREE);
        ExpandAll(tree, TreeView_GetRoot(tree));
    }
    if (page) PrintPage(page);
    if (!watch.shot.empty()) {
        ::Sleep(500);  // let the page paint
        if (!SaveWindowShot(sheet, watch.shot)) PrintError("cannot write " + watch.shot);
    }
    ::Sleep(watch.holdMs);
    ::PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
    ::PostMessageA(sheet, WM_CLOSE, 0, 0);
    return 0;
}

// The shell's own Properties dialog: the "properties" verb on the items (all in one folder).
HRESULT ShowThroughShell(const std::vector<std::string>& paths) {
    char folder[MAX_PATH] = {};
    lstrcpynA(folder, paths[0].c_str(), MAX_PATH);
    ::PathRemoveFileSpecA(folder);
    ferrow::ComPtr<IShellFolder> desktop;
    HRESULT hr = ::SHGetDesktopFolder(desktop.Put());
    if (FAILED(hr)) return hr;
    PIDLIST_RELATIVE folderId = nullptr;
    hr = desktop->ParseDisplayName(nullptr, nullptr, const_cast<LPWSTR>(ferrow::AnsiToWide(folder).c_str()),
                                   nullptr, &folderId, nullptr);
    if (FAILED(hr)) return hr;
    ferrow::ComPtr<IShellFolder> parent;
    hr = desktop->BindToObject(folderId, nullptr, IID_IShellFolder, parent.PutVoid());
    ::CoTaskMemFree(folderId);
    if (FAILED(hr)) return hr;
    std::vector<PITEMID_CHILD> items;
    for (const std::string& path : paths) {
        PIDLIST_RELATIVE item = nullptr;
        const std::wstring name = ferrow::AnsiToWide(::PathFindFileNameA(path.c_str()));
        hr = parent->ParseDisplayName(nullptr, nullptr, const_cast<LPWSTR>(name.c_str()), nullptr, &item, nullptr);
        if (FAILED(hr)) break;
        items.push_back(reinterpret_cast<PITEMID_CHILD>(item));
    }
    ferrow::ComPtr<IContextMenu> menu;
    if (SUCCEEDED(hr)) {
        hr = parent->GetUIObjectOf(nullptr, static_cast<UINT>(items.size()),
                                   const_cast<PCUITEMID_CHILD_ARRAY>(items.data()), IID_IContextMenu, nullptr,
                                   menu.PutVoid());
    }
    if (SUCCEEDED(hr)) {
        CMINVOKECOMMANDINFO invoke = {};
        invoke.cbSize = sizeof invoke;
        invoke.lpVerb = "properties";
        invoke.nShow = SW_SHOWNORMAL;
        hr = menu->InvokeCommand(&invoke);
    }
    for (PITEMID_CHILD item : items) ::CoTaskMemFree(item);
    return hr;
}

std::vector<HPROPSHEETPAGE>* g_pages = nullptr;
BOOL CALLBACK AddPage(HPROPSHEETPAGE page, LPARAM) {
    g_pages->push_back(page);
    return TRUE;
}

// The handler from the DLL, its pages in a sheet of the host's own (a modal one, as the shell's is).
HRESULT ShowDirectly(Host& host, const std::vector<std::string>& paths) {
    ferrow::ComPtr<IShellExtInit> init;
    HRESULT hr = host.CreateObject(CLSID_CCVSPropSheetExt, IID_IShellExtInit, init.PutVoid());
    if (FAILED(hr)) return hr;
    ferrow::ComPtr<IDataObject> data = ferrow::MakeHDropDataObject(paths);
    hr = init->Initialize(nullptr, data.Get(), nullptr);
    if (hr != S_OK) {
        std::printf("the handler declines the selection (%s): no pages\n", HResultText(hr).c_str());
        return S_FALSE;
    }
    ferrow::ComPtr<IShellPropSheetExt> sheet;
    hr = init.As(sheet);
    if (FAILED(hr)) return hr;
    std::vector<HPROPSHEETPAGE> pages;
    g_pages = &pages;
    sheet->AddPages(AddPage, 0);
    g_pages = nullptr;
    std::printf("%zu page(s)\n", pages.size());
    if (pages.empty()) return S_FALSE;
    const std::string caption = std::string("Properties for ") + ::PathFindFileNameA(paths[0].c_str());
    PROPSHEETHEADERA header = {};
    header.dwSize = sizeof header;
    header.dwFlags = PSH_NOAPPLYNOW;
    header.pszCaption = caption.c_str();
    header.nPages = static_cast<UINT>(pages.size());
    header.phpage = pages.data();
    ::PropertySheetA(&header);
    return S_OK;
}

}  // namespace

int RunProps(Host& host, const Args& args) {
    Watch watch;
    std::vector<std::string> paths;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--page" && i + 1 < args.size()) {
            watch.page = std::atoi(args[++i].c_str());
        } else if (args[i] == "--for" && i + 1 < args.size()) {
            watch.holdMs = static_cast<DWORD>(std::strtoul(args[++i].c_str(), nullptr, 10));
        } else if (args[i] == "--shot" && i + 1 < args.size()) {
            watch.shot = args[++i];
        } else if (args[i] == "--tree") {
            watch.tree = true;
        } else {
            std::string full;
            if (!host.ResolvePath(args[i], full)) return kExitUsage;
            paths.push_back(full);
        }
    }
    if (paths.empty()) {
        PrintError("props needs at least one path");
        return kExitUsage;
    }
    ::InitCommonControls();
    watch.threadId = ::GetCurrentThreadId();
    ferrow::UniqueKernelHandle watcher(::CreateThread(nullptr, 0, WatchSheet, &watch, 0, nullptr));
    const HRESULT hr = host.Direct() ? ShowDirectly(host, paths) : ShowThroughShell(paths);
    if (FAILED(hr)) {
        PrintError("cannot show the Properties dialog: " + HResultText(hr));
        return kExitFailed;
    }
    // The shell's dialog may run on a thread of its own: wait for the watcher to close it.
    if (watcher) {
        HANDLE handle = watcher.Get();
        for (;;) {
            if (::MsgWaitForMultipleObjects(1, &handle, FALSE, 30000, QS_ALLINPUT) != WAIT_OBJECT_0 + 1) break;
            MSG msg;
            while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
                ::TranslateMessage(&msg);
                ::DispatchMessageA(&msg);
            }
        }
    }
    if (!watch.found) {
        PrintError("no Properties dialog appeared");
        return kExitFailed;
    }
    return kExitOk;
}

}  // namespace ferrowsh
