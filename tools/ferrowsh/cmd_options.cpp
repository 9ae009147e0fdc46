// options [--lang <id>] [--page <n>] [--for <ms>]: opens the settings frame as the context menu's
// "Options..." does (the pages the context-menu object names, the frame titled with string 100, the
// object as the frame's one object) and prints each page's title and size. --lang switches the thread's
// resource language (1033, 1031), --page selects a tab (0 Options, 1 Tools, 2 About), --for closes the
// frame with Cancel after <ms> milliseconds; without it the frame stays until the user closes it.
#include "host.h"

#include "common/text.h"
#include "com/guids.h"

#include <commctrl.h>
#include <ocidl.h>
#include <olectl.h>
#include <prsht.h>

#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

namespace ferrowsh {
namespace {

struct FrameSearch {
    HWND frame = nullptr;
};

BOOL CALLBACK FindFrame(HWND hwnd, LPARAM param) {
    if (!::IsWindowVisible(hwnd)) return TRUE;
    reinterpret_cast<FrameSearch*>(param)->frame = hwnd;
    return FALSE;
}

// In --dll mode nothing is registered: the frame's CoCreateInstance finds the pages through class
// objects registered for this process.
class ProcessClassObjects {
public:
    ~ProcessClassObjects() {
        for (DWORD cookie : cookies_) ::CoRevokeClassObject(cookie);
    }
    bool Register(Host& host, REFCLSID clsid) {
        using GetClassObjectFn = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
        auto getClassObject = reinterpret_cast<GetClassObjectFn>(host.Export("DllGetClassObject"));
        if (!getClassObject) return false;
        ferrow::ComPtr<IUnknown> factory;
        DWORD cookie = 0;
        HRESULT hr = getClassObject(clsid, IID_IUnknown, factory.PutVoid());
        if (SUCCEEDED(hr))
            hr = ::CoRegisterClassObject(clsid, factory.Get(), CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &cookie);
        if (FAILED(hr)) {
            PrintError("cannot serve page " + GuidText(clsid) + " (" + HResultText(hr) + ")");
            return false;
        }
        cookies_.push_back(cookie);
        return true;
    }

private:
    std::vector<DWORD> cookies_;
};

bool ParseNumber(const std::string& text, unsigned long& value) {
    char* end = nullptr;
    value = std::strtoul(text.c_str(), &end, 10);
    return !text.empty() && end && *end == '\0';
}

}  // namespace

int RunOptions(Host& host, const Args& args) {
    unsigned long language = 0, page = 0, forMs = 0;
    for (size_t i = 0; i < args.size(); i += 2) {
        unsigned long* target = args[i] == "--lang" ? &language : args[i] == "--page" ? &page : args[i] == "--for" ? &forMs : nullptr;
        if (!target || i + 1 >= args.size() || !ParseNumber(args[i + 1], *target)) {
            PrintError("options takes --lang <id>, --page <n> and --for <ms>, each with a number");
            return kExitUsage;
        }
    }
    if (language) {
        ::SetThreadUILanguage(static_cast<LANGID>(language));
        ::SetThreadLocale(MAKELCID(static_cast<LANGID>(language), SORT_DEFAULT));
    }

    ferrow::ComPtr<ISpecifyPropertyPages> menu;
    if (FAILED(host.CreateObject(CLSID_CCVSContextMenu, IID_ISpecifyPropertyPages, menu.PutVoid()))) return kExitFailed;
    CAUUID pages = {};
    HRESULT hr = menu->GetPages(&pages);
    ferrow::UniqueCoTaskMem pageMemory(pages.pElems);
    if (FAILED(hr) || pages.cElems == 0) {
        PrintError("the context menu names no pages (" + HResultText(hr) + ")");
        return kExitFailed;
    }
    ProcessClassObjects served;
    for (ULONG i = 0; i < pages.cElems; ++i) {
        if (host.Direct() && !served.Register(host, pages.pElems[i])) return kExitFailed;
        ferrow::ComPtr<IPropertyPage> object;
        if (FAILED(host.CreateObject(pages.pElems[i], IID_IPropertyPage, object.PutVoid()))) return kExitFailed;
        PROPPAGEINFO info = {sizeof(info)};
        if (FAILED(object->GetPageInfo(&info))) {
            PrintError("page " + GuidText(pages.pElems[i]) + " gives no page information");
            return kExitFailed;
        }
        std::printf("page %lu: %s (%ldx%ld)%s%s\n", i, ferrow::WideToAnsi(info.pszTitle ? info.pszTitle : L"").c_str(),
                    info.size.cx, info.size.cy, info.pszHelpFile ? ", help " : "",
                    info.pszHelpFile ? ferrow::WideToAnsi(info.pszHelpFile).c_str() : "");
        ::CoTaskMemFree(info.pszTitle);
        ::CoTaskMemFree(info.pszDocString);
        ::CoTaskMemFree(info.pszHelpFile);
    }
    std::fflush(stdout);

    // The frame is modal on this thread; a watcher picks the tab and, with --for, ends it.
    const DWORD thread = ::GetCurrentThreadId();
    bool sawFrame = false;
    std::thread watcher([&] {
        FrameSearch search;
        for (int i = 0; i < 400 && !search.frame; ++i) {
            ::Sleep(25);
            ::EnumThreadWindows(thread, FindFrame, reinterpret_cast<LPARAM>(&search));
        }
        if (!search.frame) return;
        sawFrame = true;
        if (page) ::PostMessageW(search.frame, PSM_SETCURSEL, page, 0);
        std::printf("frame open\n");  // scripts wait for this line before they take a screenshot
        std::fflush(stdout);
        if (!forMs) return;
        ::Sleep(forMs);
        ::PostMessageW(search.frame, WM_COMMAND, IDCANCEL, 0);
    });
    ferrow::ComPtr<IUnknown> object;
    menu->QueryInterface(IID_IUnknown, object.PutVoid());
    IUnknown* objects[] = {object.Get()};
    const std::wstring caption = L"Ferrow";  // string 100 in both languages
    hr = ::OleCreatePropertyFrame(nullptr, 0, 0, caption.c_str(), 1, objects, pages.cElems, pages.pElems,
                                  LOCALE_USER_DEFAULT, 0, nullptr);
    watcher.join();
    if (FAILED(hr) || !sawFrame) {
        PrintError("the settings frame did not open (" + HResultText(hr) + ")");
        return kExitFailed;
    }
    return kExitOk;
}

}  // namespace ferrowsh
