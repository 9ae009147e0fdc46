// A page's log, fetched on a worker thread so that the page is usable meanwhile. The result is posted to
// the page as kLogFetched; ending the fetch (a new one, or the page going) cancels the running client, which
// ends its process tree, and waits for the worker.
//
// Threading: created, read and destroyed on the page's thread; the worker touches only its own state until
// it posts the message.
#pragma once

#include "common/handles.h"

#include <windows.h>

#include <atomic>
#include <functional>
#include <memory>
#include <string>

class CRunFrame;

namespace propsheet {

// Posted to the page when a fetch ended: wParam is the fetch's number (LogFetch::Number).
constexpr UINT kLogFetched = WM_APP + 40;

class LogFetch {
public:
    // Runs `work` on a worker thread; its result (true: done) and whatever it captured by reference must
    // stay untouched by the page until kLogFetched with this fetch's number arrives. `work` is given the
    // frame for its runs, whose cancel is this object's.
    LogFetch(HWND page, unsigned number, std::function<bool(CRunFrame*)> work);
    ~LogFetch();
    LogFetch(const LogFetch&) = delete;
    LogFetch& operator=(const LogFetch&) = delete;

    unsigned Number() const { return number_; }
    bool Started() const { return static_cast<bool>(thread_); }
    // After kLogFetched: what the work answered.
    bool Succeeded() const { return state_->succeeded; }

private:
    struct State {
        HWND page;
        unsigned number;
        std::function<bool(CRunFrame*)> work;
        std::atomic<bool> cancel{false};
        bool succeeded = false;
    };
    static DWORD WINAPI Worker(void* parameter);

    unsigned number_;
    std::shared_ptr<State> state_;
    ferrow::UniqueKernelHandle thread_;
};

}  // namespace propsheet
