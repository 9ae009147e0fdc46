// folderview [--lang <id>] [--for <ms>] <folder>: the folder as Explorer's details view composes it, in a
// window titled "Ferrow folder view": each item with its shell icon and the module's mark laid over it
// through the image list's overlay images (the identifier with the best priority among those that claim
// the item), the Name column and the column provider's columns with their values. --lang switches the
// thread's resource language (1033, 1031) and so the column titles; the window stays --for milliseconds
// (default 3000; scripts wait for the line "folder view open" and take a screenshot). Prints each row.
// Wine's own shell draws no overlays and knows no column handlers, hence this picture.
#include "host.h"

#include "common/text.h"
#include "com/guids.h"
#include "com/interface_ids.h"

#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace ferrowsh {
namespace {

struct Mark {
    CLSID clsid;
    ferrow::ComPtr<IShellIconOverlayIdentifier> object;
    int priority = 0;
    int overlay = 0;  // the image list's overlay number (1-based) of its image
    int image = -1;   // its image in the list
};

// The mark's image as the shell would take it: the icon GetOverlayInfo names, added to the list and made
// one of its overlay images.
bool AddMark(Host& host, Mark& mark, HIMAGELIST list, int overlay) {
    if (FAILED(host.CreateObject(mark.clsid, IID_IShellIconOverlayIdentifier, mark.object.PutVoid()))) return false;
    wchar_t file[MAX_PATH] = {};
    int index = 0;
    DWORD flags = 0;
    if (FAILED(mark.object->GetOverlayInfo(file, MAX_PATH, &index, &flags)) ||
        FAILED(mark.object->GetPriority(&mark.priority))) {
        PrintError("GetOverlayInfo/GetPriority failed");
        return false;
    }
    HICON icon = nullptr;
    if (::ExtractIconExW(file, (flags & ISIOI_ICONINDEX) ? index : 0, nullptr, &icon, 1) == 0 || !icon) {
        PrintError("no overlay icon in " + ferrow::WideToAnsi(file));
        return false;
    }
    const int image = ::ImageList_AddIcon(list, icon);
    ::DestroyIcon(icon);
    if (image < 0 || !::ImageList_SetOverlayImage(list, image, overlay)) return false;
    mark.overlay = overlay;
    mark.image = image;
    return true;
}

// Wine's list view does not draw an item's overlay state, and Wine's ImageList_Draw leaves out the overlay
// image its style names: the item's image is composed here as the view draws it on Windows (ImageList_Draw
// with the overlay's number in the style, which lays the list's overlay image over the icon), with the
// overlay image drawn over it once more for Wine (on Windows the same pixels again), on the window colour;
// the result goes into the list the view shows. Returns the new image's index, or -1.
int Compose(HIMAGELIST source, int image, const Mark* mark, HIMAGELIST shown) {
    if (image < 0) return -1;
    HDC screen = ::GetDC(nullptr);
    HDC dc = ::CreateCompatibleDC(screen);
    HBITMAP bitmap = ::CreateCompatibleBitmap(screen, 16, 16);
    ::ReleaseDC(nullptr, screen);
    HGDIOBJ old = ::SelectObject(dc, bitmap);
    RECT all = {0, 0, 16, 16};
    ::FillRect(dc, &all, ::GetSysColorBrush(COLOR_WINDOW));
    ::ImageList_Draw(source, image, dc, 0, 0, ILD_TRANSPARENT | INDEXTOOVERLAYMASK(mark ? mark->overlay : 0));
    if (mark) ::ImageList_Draw(source, mark->image, dc, 0, 0, ILD_TRANSPARENT);
    ::SelectObject(dc, old);
    ::DeleteDC(dc);
    const int index = ::ImageList_Add(shown, bitmap, nullptr);
    ::DeleteObject(bitmap);
    return index;
}

}  // namespace

int RunFolderView(Host& host, const Args& args) {
    unsigned long language = 0, forMs = 3000;
    std::string argument;
    for (size_t i = 0; i < args.size(); ++i) {
        if ((args[i] == "--lang" || args[i] == "--for") && i + 1 < args.size()) {
            (args[i] == "--lang" ? language : forMs) = std::strtoul(args[i + 1].c_str(), nullptr, 10);
            ++i;
        } else if (argument.empty()) {
            argument = args[i];
        } else {
            PrintError("folderview takes one folder");
            return kExitUsage;
        }
    }
    std::string folder;
    if (argument.empty() || !host.ResolvePath(argument, folder)) return kExitUsage;
    if (language) {
        ::SetThreadUILanguage(static_cast<LANGID>(language));
        ::SetThreadLocale(MAKELCID(static_cast<LANGID>(language), SORT_DEFAULT));
    }

    ferrow::ComPtr<IColumnProvider> provider;
    if (FAILED(host.CreateObject(CLSID_CCVSColumnProvider, __uuidof(IColumnProvider), provider.PutVoid())))
        return kExitFailed;
    SHCOLUMNINIT init = {};
    lstrcpynW(init.wszFolder, ferrow::AnsiToWide(folder).c_str(), MAX_PATH);
    if (provider->Initialize(&init) != S_OK) return kExitFailed;
    std::vector<SHCOLUMNINFO> columns;
    for (DWORD i = 0;; ++i) {
        SHCOLUMNINFO info = {};
        if (provider->GetColumnInfo(i, &info) != S_OK) break;
        columns.push_back(info);
    }

    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_LISTVIEW_CLASSES};
    ::InitCommonControlsEx(&controls);
    // list: the shell icons and the marks as its overlay images; shown: the composed images, which the
    // view owns (no LVS_SHAREIMAGELISTS) and destroys with the window.
    HIMAGELIST list = ::ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, 8, 8);
    HIMAGELIST shown = ::ImageList_Create(16, 16, ILC_COLOR32, 8, 8);
    Mark marks[] = {{CLSID_CCVSIconOverlay, {}, 0, 0, -1}, {CLSID_CCVSModifiedIconOverlay, {}, 0, 0, -1}};
    for (int i = 0; i < 2; ++i) {
        if (!AddMark(host, marks[i], list, i + 1)) {
            ::ImageList_Destroy(list);
            ::ImageList_Destroy(shown);
            return kExitFailed;
        }
    }

    const int width = 160 + 110 * static_cast<int>(columns.size());
    HWND view = ::CreateWindowExA(0, WC_LISTVIEWA, "Ferrow folder view", WS_OVERLAPPEDWINDOW | LVS_REPORT,
                                  20, 20, width, 260, nullptr, nullptr, ::GetModuleHandleA(nullptr), nullptr);
    if (!view) {
        ::ImageList_Destroy(list);
        ::ImageList_Destroy(shown);
        PrintError("cannot create the list view");
        return kExitFailed;
    }
    ListView_SetImageList(view, shown, LVSIL_SMALL);
    LVCOLUMNA column = {};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.cx = 150;
    column.pszText = const_cast<char*>("Name");
    ListView_InsertColumn(view, 0, &column);
    for (size_t c = 0; c < columns.size(); ++c) {
        std::string title = ferrow::WideToAnsi(columns[c].wszTitle);
        column.cx = 105;
        column.pszText = &title[0];
        ListView_InsertColumn(view, static_cast<int>(c + 1), &column);
    }

    int row = 0;
    for (const std::string& name : FolderItems(folder)) {
        const std::string path = folder + "\\" + name;
        if (name == "CVS") continue;  // Explorer shows it, but it says nothing about the working copy
        SHFILEINFOA file = {};
        int image = -1;
        if (::SHGetFileInfoA(path.c_str(), 0, &file, sizeof(file), SHGFI_ICON | SHGFI_SMALLICON) && file.hIcon) {
            image = ::ImageList_AddIcon(list, file.hIcon);
            ::DestroyIcon(file.hIcon);
        }
        const Mark* drawn = nullptr;
        const std::wstring wide = ferrow::AnsiToWide(path);
        for (const Mark& mark : marks) {
            if (mark.object->IsMemberOf(wide.c_str(), 0) == S_OK && (!drawn || mark.priority < drawn->priority))
                drawn = &mark;
        }
        LVITEMA item = {};
        item.mask = LVIF_TEXT | LVIF_IMAGE;
        item.iItem = row;
        item.pszText = const_cast<char*>(name.c_str());
        item.iImage = Compose(list, image, drawn, shown);
        ListView_InsertItem(view, &item);
        std::string line = name + (drawn ? (drawn->overlay == 1 ? " [red]" : " [blue]") : " [-]");

        SHCOLUMNDATA data = {};
        data.dwFileAttributes = ::GetFileAttributesA(path.c_str());
        lstrcpynW(data.wszFile, wide.c_str(), MAX_PATH);
        for (size_t c = 0; c < columns.size(); ++c) {
            VARIANT value;
            ::VariantInit(&value);
            std::string text;
            if (provider->GetItemData(&columns[c].scid, &data, &value) == S_OK && V_VT(&value) == VT_BSTR)
                text = ferrow::WideToAnsi(V_BSTR(&value));
            ::VariantClear(&value);
            ListView_SetItemText(view, row, static_cast<int>(c + 1), &text[0]);
            line += " | " + text;
        }
        std::printf("%s\n", line.c_str());
        ++row;
    }

    ::ShowWindow(view, SW_SHOW);
    ::UpdateWindow(view);
    std::printf("folder view open\n");
    std::fflush(stdout);
    const DWORD end = ::GetTickCount() + forMs;
    while (static_cast<LONG>(end - ::GetTickCount()) > 0) {
        MSG message;
        while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&message);
            ::DispatchMessageA(&message);
        }
        ::Sleep(20);
    }
    ::DestroyWindow(view);
    ::ImageList_Destroy(list);
    return kExitOk;
}

}  // namespace ferrowsh
