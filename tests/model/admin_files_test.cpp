// The administrative-file readers on working copies made by the real cvs client, and on hand-written
// CVS folders for the shapes the client rarely produces.
#include "model/admin_files.h"
#include "model/line_reader.h"
#include "support/fixtures.h"

#include <gtest/gtest.h>

using testing_support::Join;
using testing_support::TempDir;
using testing_support::WriteTextFile;

namespace {

class SampleWorkingCopy : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        dir_ = new TempDir("wc");
        testing_support::CopyTree(testing_support::SampleFixture("wc"), dir_->Path());
    }
    static void TearDownTestSuite() {
        delete dir_;
        dir_ = nullptr;
    }
    static std::string At(const char* relative) { return Join(dir_->Path(), relative); }
    static TempDir* dir_;
};
TempDir* SampleWorkingCopy::dir_ = nullptr;

TEST_F(SampleWorkingCopy, ControlledItems) {
    struct Case {
        const char* item;
        bool controlled;
    } const cases[] = {
        {"", true},                    // the working folder itself
        {"unchanged.txt", true},
        {"UNCHANGED.TXT", true},       // names compare without regard to case
        {"modified.c", true},
        {"added.txt", true},           // scheduled for addition
        {"removed.txt", true},         // scheduled for removal, gone from disk
        {"sticky.txt", true},
        {"image.bin", true},
        {"sub", true},
        {"sub/nested.txt", true},
        {"unlisted.txt", false},
        {"CVS", false},                // the administrative folder is never controlled
        {"cvs", false},
        {"CVS/Entries", false},        // its files are not listed anywhere
        {"sub/CVS", false},
        {"no-such-file", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.item);
        EXPECT_EQ(c.controlled, IsControlled(At(c.item).c_str()));
    }
}

TEST_F(SampleWorkingCopy, EntriesAsTheClientWroteThem) {
    CCVSEntry entry;
    ASSERT_TRUE(FindEntry(At("Image.BIN").c_str(), entry));
    EXPECT_EQ("image.bin", entry.Name);
    EXPECT_EQ("1.1.1.1", entry.Revision);
    EXPECT_EQ("-kb", entry.Options);
    EXPECT_EQ("", entry.TagDate);

    ASSERT_TRUE(FindEntry(At("sticky.txt").c_str(), entry));
    EXPECT_EQ("Tv1_0", entry.TagDate);
    ASSERT_TRUE(FindEntry(At("added.txt").c_str(), entry));
    EXPECT_EQ("0", entry.Revision);
    ASSERT_TRUE(FindEntry(At("removed.txt").c_str(), entry));
    EXPECT_EQ('-', entry.Revision[0]);

    EXPECT_FALSE(FindEntry(At("unlisted.txt").c_str(), entry));
    EXPECT_FALSE(FindEntry(At("sub").c_str(), entry)) << "folder lines are not entries";
}

TEST_F(SampleWorkingCopy, RootRepositoryAndTag) {
    std::string text;
    ASSERT_TRUE(ReadRoot(At("unchanged.txt").c_str(), text));
    EXPECT_NE(std::string::npos, text.find("repo"));
    std::string fromFolder;
    ASSERT_TRUE(ReadRoot(dir_->Path().c_str(), fromFolder));
    EXPECT_EQ(text, fromFolder);

    ASSERT_TRUE(ReadRepository(At("sub").c_str(), text));
    EXPECT_EQ("sample/sub", text);
    ASSERT_TRUE(ReadRepository(At("sub/nested.txt").c_str(), text));
    EXPECT_EQ("sample/sub", text);

    EXPECT_FALSE(ReadTag(At("unchanged.txt").c_str(), text)) << "no CVS/Tag on the trunk";

    TempDir tagged("tagged");
    testing_support::CopyTree(testing_support::SampleFixture("wc-tagged"), tagged.Path());
    ASSERT_TRUE(ReadTag(tagged.Path().c_str(), text));
    EXPECT_EQ("stable", text);
    EXPECT_TRUE(ReadTag(Join(tagged.Path(), "sub/nested.txt").c_str(), text));
    EXPECT_EQ("stable", text);
}

TEST(AdminFiles, TagKeepsLettersOtherThanT) {
    struct Case {
        const char* content;
        const char* tag;
    } const cases[] = {
        {"Tv1_0\n", "v1_0"},
        {"D2008.01.01.00.00.00\n", "D2008.01.01.00.00.00"},
        {"Nrel\r\n", "Nrel"},
        {"", ""},
        {"T", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.content);
        TempDir dir;
        WriteTextFile(dir / "CVS/Tag", c.content);
        std::string text = "marker";
        ASSERT_TRUE(ReadTag(dir.Path().c_str(), text));
        EXPECT_EQ(c.tag, text);
    }
}

TEST(AdminFiles, EntriesLineEndsAndShapes) {
    struct Case {
        const char* entries;
        const char* name;
        bool found;
        const char* revision;
    } const cases[] = {
        {"/a.c/1.1/t//\n/b.c/1.2/t//\n", "b.c", true, "1.2"},
        {"/a.c/1.1/t//\r\n/b.c/1.2/t//\r\n", "b.c", true, "1.2"},
        {"/a.c/1.1/t//\n/b.c/1.3/t//", "b.c", true, "1.3"},          // no final line end
        {"D/b.c////\n", "b.c", false, ""},                            // a folder line
        {"/b.c/1.1/Mon Mar 03 10:00:00 2008\n", "b.c", false, ""},    // four fields only
        {"/b.c/1.4/t//\n/b.c/1.5/t//\n", "B.C", true, "1.4"},         // the first line wins
        {"garbage\n\n/\n//\nD\n/b.c/1.6/t//\n", "b.c", true, "1.6"},  // bad lines are skipped
        {"", "b.c", false, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.entries);
        TempDir dir;
        WriteTextFile(dir / "CVS/Entries", c.entries);
        CCVSEntry entry;
        ASSERT_EQ(c.found, FindEntry((dir / c.name).c_str(), entry));
        if (c.found) {
            EXPECT_EQ(c.revision, entry.Revision);
        }
        EXPECT_EQ(c.found, IsControlled((dir / c.name).c_str()));
    }
}

TEST(AdminFiles, SubFolderListedOnlyInParentIsNotControlled) {
    TempDir dir;
    WriteTextFile(dir / "CVS/Entries", "D/sub////\n");
    ::CreateDirectoryA((dir / "sub").c_str(), nullptr);
    EXPECT_FALSE(IsControlled((dir / "sub").c_str()));
    EXPECT_TRUE(IsControlled(dir.Path().c_str()));
}

TEST(AdminFiles, LongPathsAreCutBeforeTheFolderIsDerived) {
    TempDir dir;
    WriteTextFile(dir / "CVS/Entries", "/x/1.1/t//\n");
    // A name that brings the path past 259 characters: after the cut, its file name is a prefix of it.
    std::string longName(300 - dir.Path().size(), 'x');
    std::string path = dir / longName;
    ASSERT_GT(path.size(), 259u);
    CCVSEntry entry;
    EXPECT_FALSE(FindEntry(path.c_str(), entry));
    std::string cutName = path.substr(dir.Path().size() + 1, 259 - dir.Path().size() - 1);
    WriteTextFile(dir / "CVS/Entries", "/" + cutName + "/1.7/t//\n");
    ASSERT_TRUE(FindEntry(path.c_str(), entry));
    EXPECT_EQ("1.7", entry.Revision);
}

TEST(AdminFiles, FilesLockedWithoutReadSharingReadAsMissing) {
    TempDir dir;
    WriteTextFile(dir / "CVS/Entries", "/a/1.1/t//\n");
    WriteTextFile(dir / "CVS/Root", ":local:/repo\n");
    HANDLE locked = ::CreateFileA((dir / "CVS/Entries").c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, locked);
    CCVSEntry entry;
    EXPECT_FALSE(FindEntry((dir / "a").c_str(), entry));
    ::CloseHandle(locked);
    EXPECT_TRUE(FindEntry((dir / "a").c_str(), entry));

    std::string text;
    EXPECT_TRUE(ReadRoot(dir.Path().c_str(), text));
    EXPECT_EQ(":local:/repo", text);
}

TEST(AdminFiles, CVSThatIsAFileOrEntriesThatIsAFolder) {
    TempDir dir;
    WriteTextFile(dir / "CVS", "not a folder");
    EXPECT_FALSE(HasCVSDir(dir.Path().c_str()));
    EXPECT_FALSE(IsControlled((dir / "CVS").c_str()));

    TempDir other;
    ::CreateDirectoryA((other / "CVS").c_str(), nullptr);
    ::CreateDirectoryA((other / "CVS/Entries").c_str(), nullptr);
    CCVSEntry entry;
    EXPECT_FALSE(FindEntry((other / "a").c_str(), entry));
    EXPECT_TRUE(IsControlled(other.Path().c_str()));
    std::string text;
    EXPECT_FALSE(ReadFirstLine((other / "CVS/Entries").c_str(), text));
}

TEST(LineReader, ReadsAFileInBlocks) {
    TempDir dir;
    std::string longLine(1000, 'a');
    WriteTextFile(dir / "f", "one\r\n" + longLine + "\ntwo");
    CLineReader reader(OpenForReading((dir / "f").c_str()).Release());
    std::string line;
    ASSERT_EQ(0, reader.ReadLine(line));
    EXPECT_EQ("one", line);
    ASSERT_EQ(0, reader.ReadLine(line));
    EXPECT_EQ(longLine, line);
    ASSERT_EQ(0, reader.ReadLine(line));
    EXPECT_EQ("two", line);
    EXPECT_EQ(1, reader.ReadLine(line));
}

TEST(LineReader, ReadFailureIsAnError) {
    TempDir dir;
    WriteTextFile(dir / "f", "text\n");
    // A handle without read access: ReadFile fails and the reader reports it instead of a line.
    HANDLE h = ::CreateFileA((dir / "f").c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    CLineReader reader(h);
    std::string line;
    EXPECT_LT(reader.ReadLine(line), 0);
}

}  // namespace
