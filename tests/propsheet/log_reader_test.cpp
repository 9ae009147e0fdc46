#include "propsheet/log_reader.h"

#include "propsheet/exec_standin.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const std::string kLogs = std::string(FERROW_TEST_DATA) + "\\logs\\";

// Points the temporary folder at a fresh folder (with a space in its name, so the redirect target needs
// quotes) and proves at the end that nothing was left in it.
class LogReaderTest : public ::testing::Test {
protected:
    void SetUp() override {
        char base[MAX_PATH] = {};
        ::GetTempPathA(MAX_PATH, base);
        saved_ = base;
        temp_ = std::string(base) + "ferrow log test " + std::to_string(::GetCurrentProcessId()) + "\\";
        ASSERT_TRUE(::CreateDirectoryA(temp_.c_str(), nullptr) || ::GetLastError() == ERROR_ALREADY_EXISTS);
        ::SetEnvironmentVariableA("TMP", temp_.c_str());
        ::SetEnvironmentVariableA("TEMP", temp_.c_str());
        Standin() = ExecStandIn{};
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
    CCVSLog log;
    EXPECT_FALSE(GetLog("Z:\\nowhere\\a.c", log));
    EXPECT_EQ(0, Standin().runs);  // nothing runs without an output file
}

TEST_F(LogReaderTest, GetLogRunsTheFullLogAndParsesIt) {
    Standin().outputFixture = kLogs + "branch.log";
    CCVSLog log;
    ASSERT_TRUE(GetLog("Z:\\work\\branch.c", log));
    ASSERT_EQ(5u, log.Revisions.size());
    EXPECT_EQ("1.3", log.Head);
    EXPECT_EQ(4u, log.Tags.Count());
    EXPECT_EQ(1, Standin().runs);
    EXPECT_EQ("$(CVS) log $(Names) > \"" + Standin().lastTarget + "\"", Standin().lastTemplate);
    ASSERT_EQ(1u, Standin().lastSelection.size());
    EXPECT_EQ("Z:\\work\\branch.c", Standin().lastSelection[0]);
}

TEST_F(LogReaderTest, LocalLogTextKeepsLinesWithCrLf) {
    Standin().outputFixture = kLogs + "local-branch.log";
    std::string text = "old";
    ASSERT_TRUE(GetLocalLogText("Z:\\work\\branch.c", text));
    EXPECT_EQ(0u, Standin().lastTemplate.find("$(CVS) log -l $(Names) > \""));
    EXPECT_EQ(0u, text.find("RCS file: "));
    EXPECT_EQ(std::string::npos, text.find("==="));
    EXPECT_EQ(std::string::npos, text.find("\r\n\r\n"));
}

struct FailureCase {
    const char* name;
    HRESULT result;
    const char* fixture;
};

TEST_F(LogReaderTest, FailuresLeaveNothingBehind) {
    const FailureCase cases[] = {
        {"command fails", E_FAIL, "branch.log"},
        {"command fails before writing", HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND), ""},
    };
    for (const FailureCase& c : cases) {
        SCOPED_TRACE(c.name);
        Standin() = ExecStandIn{};
        Standin().result = c.result;
        if (*c.fixture) Standin().outputFixture = kLogs + c.fixture;
        CCVSLog log;
        EXPECT_FALSE(GetLog("Z:\\work\\branch.c", log));
        std::string text = "kept";
        EXPECT_FALSE(GetLocalLogText("Z:\\work\\branch.c", text));
        EXPECT_EQ("kept", text);
        std::string author = "none";
        EXPECT_FALSE(GetRevisionAuthor("Z:\\work\\branch.c", "1.1", author));
        EXPECT_EQ("none", author);
        EXPECT_EQ(0, FilesLeft());
    }
}

TEST_F(LogReaderTest, NothingRunIsAnEmptyLog) {
    // The runner reports success without running anything (no working folder): the output stays empty.
    CCVSLog log;
    ASSERT_TRUE(GetLog("Z:\\work\\a.c", log));
    EXPECT_TRUE(log.Revisions.empty());
    EXPECT_EQ("", log.Head);
    std::string text = "old";
    ASSERT_TRUE(GetLocalLogText("Z:\\work\\a.c", text));
    EXPECT_EQ("", text);
}

TEST_F(LogReaderTest, RevisionAuthor) {
    Standin().outputFixture = kLogs + "branch.log";
    struct Case {
        const char* revision;
        bool found;
    } const cases[] = {{"1.2.2.1", true}, {"1.3", true}, {"1.4", false}, {"", false}, {"1.3 ", false}};
    for (const Case& c : cases) {
        std::string author;
        EXPECT_EQ(c.found, GetRevisionAuthor("Z:\\work\\branch.c", c.revision, author)) << c.revision;
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
