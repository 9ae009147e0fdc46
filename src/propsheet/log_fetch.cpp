#include "propsheet/log_fetch.h"

#include "common/exception_guard.h"
#include "exec/process_runner.h"

namespace propsheet {
namespace {

// The worker's runs: cancelled when the page ends the fetch.
class CancelFrame : public CRunFrame {
public:
    explicit CancelFrame(const std::atomic<bool>& cancel) : cancel_(cancel) {}
    CancelFrame(const CancelFrame&) = delete;
    CancelFrame& operator=(const CancelFrame&) = delete;

private:
    void OnCommandLine(const std::string&) override {}
    bool CancelRequested() override { return cancel_; }

    const std::atomic<bool>& cancel_;
};

}  // namespace

LogFetch::LogFetch(HWND page, unsigned number, std::function<bool(CRunFrame*)> work)
    : number_(number), state_(std::make_shared<State>()) {
    state_->page = page;
    state_->number = number;
    state_->work = std::move(work);
    thread_.Reset(::CreateThread(nullptr, 0, Worker, state_.get(), 0, nullptr));
}

LogFetch::~LogFetch() {
    if (!thread_) return;
    state_->cancel = true;
    // The run looks at the cancel every 100 ms and then ends its tree: the wait is short and bounded.
    ::WaitForSingleObject(thread_.Get(), INFINITE);
}

DWORD WINAPI LogFetch::Worker(void* parameter) {
    State& state = *static_cast<State*>(parameter);
    ferrow::GuardedAnswer(false, [&] {
        CancelFrame frame(state.cancel);
        state.succeeded = state.work(&frame);
        return true;
    });
    if (!state.cancel) ::PostMessageA(state.page, kLogFetched, state.number, 0);
    return 0;
}

}  // namespace propsheet
