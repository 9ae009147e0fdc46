// Drives a window of the test process from another thread: a dialog or message box that the code under
// test shows modally, found by its title and operated while the test's thread waits in it.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <thread>

namespace testing_support {

// Watches, on its own thread, for a visible top-level window of this process whose title holds the text,
// and runs the action on it once (from the watcher thread). Stops at the timeout or at destruction.
class WindowDriver {
public:
    WindowDriver(std::string title, std::function<void(HWND)> action, DWORD timeoutMs = 20000);
    ~WindowDriver();
    WindowDriver(const WindowDriver&) = delete;
    WindowDriver& operator=(const WindowDriver&) = delete;
    bool Found() const { return found_; }

private:
    std::string title_;
    std::function<void(HWND)> action_;
    DWORD timeoutMs_;
    volatile bool stop_ = false;
    volatile bool found_ = false;
    std::thread thread_;
};

std::string WindowText(HWND hwnd);
// The message of a message box: its longest static text.
std::string MessageBoxText(HWND box);

}  // namespace testing_support
