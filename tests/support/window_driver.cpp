#include "support/window_driver.h"

namespace testing_support {
namespace {

struct Search {
    const std::string* title;
    DWORD pid;
    HWND found;
};

BOOL CALLBACK FindByTitle(HWND hwnd, LPARAM lp) {
    auto* search = reinterpret_cast<Search*>(lp);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(hwnd, &pid);
    if (pid != search->pid || !::IsWindowVisible(hwnd)) return TRUE;
    if (WindowText(hwnd).find(*search->title) == std::string::npos) return TRUE;
    search->found = hwnd;
    return FALSE;
}

}  // namespace

WindowDriver::WindowDriver(std::string title, std::function<void(HWND)> action, DWORD timeoutMs)
    : title_(std::move(title)), action_(std::move(action)), timeoutMs_(timeoutMs) {
    thread_ = std::thread([this] {
        const DWORD start = ::GetTickCount();
        while (!stop_ && ::GetTickCount() - start < timeoutMs_) {
            Search search{&title_, ::GetCurrentProcessId(), nullptr};
            ::EnumWindows(FindByTitle, reinterpret_cast<LPARAM>(&search));
            if (search.found) {
                ::Sleep(100);  // let the dialog finish its initialisation
                found_ = true;
                action_(search.found);
                return;
            }
            ::Sleep(30);
        }
    });
}

WindowDriver::~WindowDriver() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
}

std::string WindowText(HWND hwnd) {
    // Asked of the window itself (GetWindowText answers a window of another process from its caption).
    const LRESULT length = ::SendMessageA(hwnd, WM_GETTEXTLENGTH, 0, 0);
    if (length <= 0) return std::string();
    std::string text(static_cast<size_t>(length) + 1, '\0');
    text.resize(static_cast<size_t>(::SendMessageA(hwnd, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]))));
    return text;
}

std::string MessageBoxText(HWND box) {
    std::string best;
    for (HWND child = ::GetWindow(box, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        char cls[32] = {};
        ::GetClassNameA(child, cls, sizeof cls);
        if (::lstrcmpiA(cls, "Static") != 0) continue;
        std::string text = WindowText(child);
        if (text.size() > best.size()) best = text;
    }
    return best;
}

}  // namespace testing_support
