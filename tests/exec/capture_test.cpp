#include "exec/capture_output.h"
#include "exec/exec_support.h"
#include "exec/process_runner.h"
#include "exec/progress_dialog.h"

#include <gtest/gtest.h>

#include <mutex>
#include <string>
#include <thread>
#include <vector>

using exec_test::StubClient;
using exec_test::TempFolder;

namespace {

// Records the size of every chunk the reader delivers.
class ChunkRecorder : public CCaptureOutput {
public:
    ChunkRecorder() : CCaptureOutput(STD_OUTPUT_HANDLE) {}
    ~ChunkRecorder() override { End(); }
    void OnOutput(const char* bytes, DWORD count) override {
        {
            std::lock_guard<std::mutex> guard(lock_);
            sizes_.push_back(count);
        }
        CCaptureOutput::OnOutput(bytes, count);
    }
    std::vector<DWORD> Sizes() {
        std::lock_guard<std::mutex> guard(lock_);
        return sizes_;
    }

private:
    std::mutex lock_;
    std::vector<DWORD> sizes_;
};

std::string Pattern(size_t bytes) {
    static const char kPattern[] = "0123456789abcdefghijklmnopqrstuvwxyz\n";
    std::string out;
    for (size_t i = 0; i < bytes; ++i) out += kPattern[i % (sizeof kPattern - 1)];
    return out;
}

TEST(Capture, SixHundredBytesArriveWholeInOrderInChunksOfAtMost256) {
    TempFolder scratch;
    StubClient stub(scratch);
    stub.Env().Set("CVSSTUB_STDOUT_BYTES", "600");
    ChunkRecorder capture;
    ASSERT_TRUE(capture.Active());
    exec_test::CaptureFrame frame(&capture);
    EXPECT_EQ(S_OK, RunInDirectory(&frame, scratch.Path(), "$(CVS) log"));
    EXPECT_EQ(Pattern(600), capture.GetText());
    DWORD total = 0;
    for (DWORD size : capture.Sizes()) {
        EXPECT_GE(size, 1u);
        EXPECT_LE(size, 256u);
        total += size;
    }
    EXPECT_EQ(600u, total);
}

TEST(Capture, EachStreamGoesToItsOwnText) {
    const struct {
        const char* what;
        const char* out;
        const char* err;
        const char* exitCode;
        HRESULT result;
        std::string outText;
        std::string errText;
    } cases[] = {
        {"only standard error", nullptr, "cvs: nothing known about x\\n", "1", E_FAIL, "", "cvs: nothing known about x\n"},
        {"both", "U a.c\\r\\n", "warning\\n", "0", S_OK, "U a.c\r\n", "warning\n"},
        {"nothing", nullptr, nullptr, "0", S_OK, "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempFolder scratch;
        StubClient stub(scratch);
        stub.Env().Set("CVSSTUB_STDOUT", c.out);
        stub.Env().Set("CVSSTUB_STDERR", c.err);
        stub.Env().Set("CVSSTUB_EXIT", c.exitCode);
        CProgressDialog progress;  // no Start: an invocation without user interface
        EXPECT_EQ(c.result, RunInDirectory(progress.Frame(), scratch.Path(), "$(CVS) update"));
        EXPECT_FALSE(progress.HasProgress());
        EXPECT_EQ(c.outText, progress.GetStdOutText());
        EXPECT_EQ(c.errText, progress.GetStdErrText());
    }
}

TEST(Capture, TwoCommandsOfOneOperationLandInTheSameTextsInOrder) {
    TempFolder scratch;
    StubClient stub(scratch);
    stub.Env().Set("CVSSTUB_STDOUT", "out {args}\\n");
    stub.Env().Set("CVSSTUB_STDERR", "err {args}\\n");
    CProgressDialog progress;
    EXPECT_EQ(S_OK, RunInDirectory(progress.Frame(), scratch.Path(), "$(CVS) first"));
    EXPECT_EQ(S_OK, RunInDirectory(progress.Frame(), scratch.Path(), "$(CVS) second"));
    EXPECT_EQ("out first\nout second\n", progress.GetStdOutText());
    EXPECT_EQ("err first\nerr second\n", progress.GetStdErrText());
}

TEST(Capture, ACaptureTakesOnlyTheRunsOfItsFrameAndNeverTheStandardHandles) {
    TempFolder scratch;
    StubClient stub(scratch);
    stub.Env().Set("CVSSTUB_STDOUT", "{args}");
    const HANDLE out = ::GetStdHandle(STD_OUTPUT_HANDLE);
    const HANDLE err = ::GetStdHandle(STD_ERROR_HANDLE);
    CProgressDialog outer;
    {
        CCaptureOutput inner(STD_OUTPUT_HANDLE);
        EXPECT_TRUE(inner.Active());
        exec_test::CaptureFrame frame(&inner);
        EXPECT_EQ(S_OK, RunInDirectory(&frame, scratch.Path(), "$(CVS) inner"));
        EXPECT_EQ(out, ::GetStdHandle(STD_OUTPUT_HANDLE));
        EXPECT_EQ(err, ::GetStdHandle(STD_ERROR_HANDLE));
        EXPECT_EQ("inner", inner.GetText());
    }
    EXPECT_EQ(S_OK, RunInDirectory(outer.Frame(), scratch.Path(), "$(CVS) outer"));
    EXPECT_EQ("outer", outer.GetStdOutText());
    EXPECT_EQ(out, ::GetStdHandle(STD_OUTPUT_HANDLE));
}

TEST(Capture, TakingTheTextEndsTheCapture) {
    TempFolder scratch;
    StubClient stub(scratch);
    stub.Env().Set("CVSSTUB_STDOUT", "{args}");
    CCaptureOutput capture(STD_OUTPUT_HANDLE);
    exec_test::CaptureFrame frame(&capture);
    EXPECT_EQ(S_OK, RunInDirectory(&frame, scratch.Path(), "$(CVS) kept"));
    EXPECT_EQ("kept", capture.GetText());
    EXPECT_FALSE(capture.Active());
    EXPECT_EQ(S_OK, RunInDirectory(&frame, scratch.Path(), "$(CVS) later"));
    EXPECT_EQ("kept", capture.GetText());
}

TEST(Capture, ConcurrentOperationsOnTwoThreadsKeepTheirOwnOutput) {
    TempFolder scratch;
    StubClient stub(scratch);
    stub.Env().Set("CVSSTUB_STDOUT", "{args}\\n");
    stub.Env().Set("CVSSTUB_STDERR", "{args}!\\n");
    stub.Env().Set("CVSSTUB_SLEEP_MS", "150");
    struct Result {
        HRESULT hr = E_UNEXPECTED;
        std::string out, err;
    };
    Result results[2];
    auto operation = [&](int i) {
        CProgressDialog progress;
        const std::string name = i == 0 ? "alpha" : "beta";
        results[i].hr = RunInDirectory(progress.Frame(), scratch.Path(), "$(CVS) " + name);
        HRESULT second = RunInDirectory(progress.Frame(), scratch.Path(), "$(CVS) " + name);
        if (FAILED(second)) results[i].hr = second;
        results[i].out = progress.GetStdOutText();
        results[i].err = progress.GetStdErrText();
    };
    std::thread a(operation, 0);
    std::thread b(operation, 1);
    a.join();
    b.join();
    EXPECT_EQ(S_OK, results[0].hr);
    EXPECT_EQ(S_OK, results[1].hr);
    EXPECT_EQ("alpha\nalpha\n", results[0].out);
    EXPECT_EQ("alpha!\nalpha!\n", results[0].err);
    EXPECT_EQ("beta\nbeta\n", results[1].out);
    EXPECT_EQ("beta!\nbeta!\n", results[1].err);
    EXPECT_EQ(4u, stub.Calls().size());
}

TEST(ProgressDialog, StartShowsTheShellObjectAndStopReleasesIt) {
    TempFolder scratch;
    StubClient stub(scratch);
    stub.Env().Set("CVSSTUB_STDOUT", "U a.c\\n");
    CProgressDialog progress;
    EXPECT_EQ(S_OK, progress.Start(nullptr));
    EXPECT_TRUE(progress.HasProgress());
    EXPECT_EQ(S_OK, RunInDirectory(progress.Frame(), scratch.Path(), "$(CVS) update"));
    EXPECT_EQ(S_OK, progress.Stop());
    EXPECT_FALSE(progress.HasProgress());
    EXPECT_EQ(S_OK, progress.Stop());
    EXPECT_EQ("U a.c\n", progress.GetStdOutText());
}

TEST(ProgressDialog, DestructionStopsAStartedDialog) {
    {
        CProgressDialog progress;
        EXPECT_EQ(S_OK, progress.Start(nullptr));
    }
}

}  // namespace
