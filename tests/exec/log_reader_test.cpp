#include "exec/log_reader.h"

#include "propsheet/stub_client.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace propsheet_test;
using testing_support::TempDir;

const std::string kLogs = std::string(FERROW_TEST_DATA) + "\\logs\\";

// Points the temporary folder at a fresh folder (with a space in its name, so the redirect target needs
// quotes) and proves at the end that nothing was left in it.
class LogReaderTest : public ::testing::Test {
protected:
    void SetUp() override {
        MakeWorkingFolder(work_, {"/branch.c/1.2.2.1/Thu Jan  1 00:00:00 2009//Tbranch_x", "/a.c/1.1/x//"});
        file_ = work_ / "branch.c";
        char base[MAX_PATH] = {};
        ::GetTempPathA(MAX_PATH, base);
        saved_ = base;
        temp_ = std::string(base) + "ferrow log test " + std::to_string(::GetCurrentProcessId()) + "\\";
        ASSERT_TRUE(::CreateDirectoryA(temp_.c_str(), nullptr) || ::GetLastError() == ERROR_ALREADY_EXISTS);
        ::SetEnvironmentVariableA("TMP", temp_.c_str());
        ::SetEnvironmentVariableA("TEMP", temp_.c_str());
    }
    void TearDown() override {
        EXPECT_EQ(0, FilesLeft());
        ::SetEnvironmentVariableA("TMP", saved_.c_str());
        ::SetEnvironmentVariableA("TEMP", saved_.c_str());
        ::RemoveDirectoryA(temp_.c_str());
    }
    int FilesLeft() const {
        WIN32_FIND_DATAA data;
        HANDLE find = ::FindFirstFileA((temp_ + "*").c_str(), &data);
        if (find == INVALID_HANDLE_VALUE) return 0;
        int n = 0;
        do {
            if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
                ++n;
                ::DeleteFileA((temp_ + data.cFileName).c_str());
            }
        } while (::FindNextFileA(find, &data));
        ::FindClose(find);
        return n;
    }

    StubClient stub_;
    TempDir work_{"ferrow-log-wc"};
    std::string file_;
    std::string saved_;
    std::string temp_;
};

TEST_F(LogReaderTest, MakeTempFileNameCreatesAnEmptyUniqueFile) {
    std::string a, b;
    ASSERT_EQ(S_OK, MakeTempFileName("ferrow", a));
    ASSERT_EQ(S_OK, MakeTempFileName("ferrow", b));
    EXPECT_NE(a, b);
    EXPECT_EQ(0u, a.find(temp_ + "fer"));
    EXPECT_EQ(".tmp", a.substr(a.size() - 4));
    WIN32_FILE_ATTRIBUTE_DATA info;
    ASSERT_TRUE(::GetFileAttributesExA(a.c_str(), GetFileExInfoStandard, &info));
    EXPECT_EQ(0u, info.nFileSizeLow);
    ::DeleteFileA(a.c_str());
    ::DeleteFileA(b.c_str());
}

TEST_F(LogReaderTest, MakeTempFileNameFailsWithoutTheFolder) {
    ::SetEnvironmentVariableA("TMP", (temp_ + "missing\\").c_str());
    ::SetEnvironmentVariableA("TEMP", (temp_ + "missing\\").c_str());
    std::string name = "marker";
    EXPECT_TRUE(FAILED(MakeTempFileName("ferrow", name)));
    EXPECT_EQ("marker", name);
    stub_.Serve("branch.log");
    CCVSLog log;
    EXPECT_FALSE(GetLog(file_.c_str(), log));
    EXPECT_TRUE(stub_.Calls().empty());  // nothing runs without an output file
}

TEST_F(LogReaderTest, GetLogRunsTheFullLogAndParsesIt) {
    stub_.Serve("branch.log");
    CCVSLog log;
    ASSERT_TRUE(GetLog(file_.c_str(), log));
    ASSERT_EQ(5u, log.Revisions.size());
    EXPECT_EQ("1.3", log.Head);
    EXPECT_EQ(4u, log.Tags.Count());
    const std::vector<std::string> calls = stub_.CallLines();
    ASSERT_EQ(1u, calls.size());
    // Run in the file's folder, on its name; the redirection is the interpreter's, so the client never
    // sees it.
    EXPECT_EQ(work_.Path() + "\tlog  branch.c ", calls[0]);
}

TEST_F(LogReaderTest, LocalLogTextKeepsLinesWithCrLf) {
    stub_.Serve("local-branch.log");
    std::string text = "old";
    ASSERT_TRUE(GetLocalLogText(file_.c_str(), text));
    const std::vector<std::string> calls = stub_.CallLines();
    ASSERT_EQ(1u, calls.size());
    EXPECT_EQ(work_.Path() + "\tlog -l  branch.c ", calls[0]);
    EXPECT_EQ(0u, text.find("RCS file: "));
    EXPECT_EQ(std::string::npos, text.find("==="));
    EXPECT_EQ(std::string::npos, text.find("\r\n\r\n"));
    EXPECT_NE(std::string::npos, text.find("\r\nrevision 1.2.2.1\r\n"));
}

TEST_F(LogReaderTest, FolderRunsInItsParent) {
    stub_.Serve("folder.log");
    std::string text;
    ASSERT_TRUE(GetLocalLogText(work_.Path().c_str(), text));
    const std::vector<std::string> calls = stub_.CallLines();
    ASSERT_EQ(1u, calls.size());
    EXPECT_NE(std::string::npos, calls[0].find("\tlog -l "));
}

TEST_F(LogReaderTest, FailuresLeaveNothingBehind) {
    stub_.Serve("branch.log");
    stub_.Exit(1);
    CCVSLog log;
    EXPECT_FALSE(GetLog(file_.c_str(), log));
    std::string text = "kept";
    EXPECT_FALSE(GetLocalLogText(file_.c_str(), text));
    EXPECT_EQ("kept", text);
    std::string author = "none";
    EXPECT_FALSE(GetRevisionAuthor(file_.c_str(), "1.1", author));
    EXPECT_EQ("none", author);
    EXPECT_EQ(3u, stub_.Calls().size());
    EXPECT_EQ(0, FilesLeft());
}

TEST_F(LogReaderTest, NothingRunIsAnEmptyLog) {
    // Outside any working copy nothing runs and the composition reports success: the output stays empty.
    TempDir plain("ferrow-plain");
    testing_support::WriteTextFile(plain / "a.c", "x\n");
    stub_.Serve("branch.log");
    CCVSLog log;
    ASSERT_TRUE(GetLog((plain / "a.c").c_str(), log));
    EXPECT_TRUE(log.Revisions.empty());
    EXPECT_EQ("", log.Head);
    std::string text = "old";
    ASSERT_TRUE(GetLocalLogText((plain / "a.c").c_str(), text));
    EXPECT_EQ("", text);
    EXPECT_TRUE(stub_.Calls().empty());
}

TEST_F(LogReaderTest, RevisionAuthor) {
    stub_.Serve("branch.log");
    struct Case {
        const char* revision;
        bool found;
    } const cases[] = {{"1.2.2.1", true}, {"1.3", true}, {"1.4", false}, {"", false}, {"1.3 ", false}};
    for (const Case& c : cases) {
        std::string author;
        EXPECT_EQ(c.found, GetRevisionAuthor(file_.c_str(), c.revision, author)) << c.revision;
        EXPECT_EQ(c.found ? "root" : "", author) << c.revision;
    }
}

TEST_F(LogReaderTest, ParseLogOfAFile) {
    CCVSLog log;
    ASSERT_TRUE(ParseLog((kLogs + "two-files.log").c_str(), log));
    EXPECT_EQ(8u, log.Revisions.size());
    CCVSLog none;
    EXPECT_FALSE(ParseLog((kLogs + "missing.log").c_str(), none));
}

}  // namespace
