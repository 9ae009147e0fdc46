// Status evaluation: the real client's working copy, hand-written merge states, both timestamp rules
// with and without daylight saving time, and the status names in both languages.
#include "model/admin_files.h"
#include "model/file_status.h"
#include "settings/settings_store.h"
#include "support/fixtures.h"

#include <gtest/gtest.h>

#include <cstdlib>

using testing_support::Join;
using testing_support::SetLastWriteUnix;
using testing_support::TempDir;
using testing_support::WriteTextFile;

namespace {

const int64_t kJuly15Noon = 1784116800;    // Wed Jul 15 12:00:00 2026 UTC
const int64_t kJanuary15Noon = 1768478400; // Thu Jan 15 12:00:00 2026 UTC
const int64_t kMarch3 = 1772532000;        // Tue Mar 03 10:00:00 2026 UTC

bool ZoneHasDaylightSaving() {
    TIME_ZONE_INFORMATION zone = {};
    ::GetTimeZoneInformation(&zone);
    return zone.DaylightDate.wMonth != 0 && zone.DaylightBias != zone.StandardBias;
}

class Status : public ::testing::Test {
protected:
    void SetUp() override { testing_support::DeleteSettings(); }
    void TearDown() override { testing_support::DeleteSettings(); }
};

TEST_F(Status, SampleWorkingCopyFromTheClient) {
    TempDir dir("wc");
    testing_support::CopyTree(testing_support::SampleFixture("wc"), dir.Path());
    struct Case {
        const char* item;
        StatusId status;
        const char* english;
    } const cases[] = {
        {"unchanged.txt", kStatusOK, "OK"},        // recorded with a space-padded day
        {"sub/nested.txt", kStatusOK, "OK"},
        {"image.bin", kStatusOK, "OK"},
        {"sticky.txt", kStatusOK, "OK"},
        {"modified.c", kStatusModified, "Modified"},
        {"added.txt", kStatusAdded, "Added"},
        {"removed.txt", kStatusRemoved, "Removed"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.item);
        std::string path = dir / c.item;
        CCVSEntry entry;
        ASSERT_TRUE(FindEntry(path.c_str(), entry));
        EXPECT_EQ(c.status, GetStatus(path.c_str(), entry));
        EXPECT_EQ(c.english, GetStatusText(path.c_str(), entry));
        EXPECT_EQ(c.status != kStatusOK, IsModified(path.c_str()));
    }
    EXPECT_FALSE(IsModified((dir / "unlisted.txt").c_str()));
    EXPECT_FALSE(IsModified((dir / "sub").c_str()));
    EXPECT_FALSE(IsModified(dir.Path().c_str()));
}

TEST_F(Status, MergeStatesAndRecordedTexts) {
    TempDir dir;
    const std::string now = "Tue Mar 03 10:00:00 2026";
    struct Case {
        const char* timestamp;
        const char* revision;
        bool fileExists;
        StatusId status;
    } const cases[] = {
        {"Tue Mar 03 10:00:00 2026", "1.2", true, kStatusOK},
        {"Tue Mar  3 10:00:00 2026", "1.2", true, kStatusOK},   // the client's space-padded day
        {"Tue Mar 03 10:00:01 2026", "1.2", true, kStatusModified},
        {"Tue Mar 3 10:00:00 2026", "1.2", true, kStatusModified},
        {"tue Mar 03 10:00:00 2026", "1.2", true, kStatusModified},
        {"Result of merge", "1.2", true, kStatusMerged},
        {"Result of merge+Tue Mar 03 10:00:00 2026", "1.2", true, kStatusConflict},
        {"Result of merge+Tue Mar  3 10:00:00 2026", "1.2", true, kStatusConflict},
        {"Result of merge+Tue Mar 03 09:00:00 2026", "1.2", true, kStatusConflictResolved},
        {"Initial f", "0", true, kStatusAdded},
        {"Tue Mar 03 10:00:00 2026", "-1.3", false, kStatusRemoved},
        {"", "1.2", false, kStatusOK},   // empty equals the empty text of a missing file
        {"Tue Mar 03 10:00:00 2026", "1.2", false, kStatusModified},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.timestamp);
        std::string path = dir / "f";
        ::DeleteFileA(path.c_str());
        if (c.fileExists) {
            WriteTextFile(path, "x");
            SetLastWriteUnix(path, kMarch3);
        }
        CCVSEntry entry;
        entry.Name = "f";
        entry.Revision = c.revision;
        entry.Timestamp = c.timestamp;
        EXPECT_EQ(c.status, GetStatus(path.c_str(), entry));
    }
}

TEST_F(Status, FileOpenForWritingElsewhereIsJudgedByItsTime) {
    TempDir dir;
    std::string path = dir / "f";
    WriteTextFile(path, "x");
    SetLastWriteUnix(path, kMarch3);
    CCVSEntry entry;
    entry.Revision = "1.1";
    entry.Timestamp = "Tue Mar 03 10:00:00 2026";
    ASSERT_EQ(kStatusOK, GetStatus(path.c_str(), entry));
    HANDLE writer = ::CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, writer);
    EXPECT_EQ(kStatusOK, GetStatus(path.c_str(), entry));
    ::CloseHandle(writer);
}

// Runs in the machine's zone and again under a zone with daylight saving (ctest sets FERROW_EXPECT_DST).
TEST_F(Status, DaylightSavingTimestampRules) {
    bool dst = ZoneHasDaylightSaving();
    if (const char* expect = std::getenv("FERROW_EXPECT_DST")) {
        ASSERT_EQ(std::string(expect) == "1", dst);
    }

    TempDir dir;
    std::string summer = dir / "summer";
    std::string winter = dir / "winter";
    WriteTextFile(summer, "s");
    WriteTextFile(winter, "w");
    SetLastWriteUnix(summer, kJuly15Noon);
    SetLastWriteUnix(winter, kJanuary15Noon);

    EXPECT_EQ("Wed Jul 15 12:00:00 2026", GetFileTimeTextCVSNT(summer.c_str()));
    EXPECT_EQ(dst ? "Wed Jul 15 11:00:00 2026" : "Wed Jul 15 12:00:00 2026", GetFileTimeTextCVS(summer.c_str()));
    EXPECT_EQ("Thu Jan 15 12:00:00 2026", GetFileTimeTextCVSNT(winter.c_str()));
    EXPECT_EQ("Thu Jan 15 12:00:00 2026", GetFileTimeTextCVS(winter.c_str()));

    // The configured rule: exactly "CVSNT" selects it; anything else (lower case, missing) means "CVS".
    struct Case {
        const char* setting;
        bool cvsnt;
    } const cases[] = {{nullptr, false}, {"CVSNT", true}, {"cvsnt", false}, {"CVS", false}, {"CVSNT ", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.setting ? c.setting : "(none)");
        testing_support::DeleteSettings();
        if (c.setting) settings::WriteString(settings::kOptionsKey, "TimestampCompatibility", c.setting);
        EXPECT_EQ(c.cvsnt ? GetFileTimeTextCVSNT(summer.c_str()) : GetFileTimeTextCVS(summer.c_str()),
                  GetFileTimeText(summer.c_str()));
    }
}

TEST_F(Status, TimeTextOfFoldersAndMissingFilesIsEmpty) {
    TempDir dir;
    EXPECT_EQ("", GetFileTimeTextCVS(dir.Path().c_str()));
    EXPECT_EQ("", GetFileTimeTextCVSNT(dir.Path().c_str()));
    EXPECT_EQ("", GetFileTimeText((dir / "missing").c_str()));
}

TEST_F(Status, NamesInGermanWhenTheThreadIsGerman) {
    TempDir dir;
    std::string path = dir / "f";
    WriteTextFile(path, "x");
    CCVSEntry entry;
    entry.Timestamp = "never";
    struct Case {
        const char* revision;
        const char* english;
        const char* german;  // UTF-8, compared after conversion from the thread's code page
    } const cases[] = {
        {"0", "Added", "Hinzugef\xC3\xBCgt"},
        {"-1.1", "Removed", "Entfernt"},
        {"1.1", "Modified", "Ge\xC3\xA4ndert"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.revision);
        entry.Revision = c.revision;
        EXPECT_EQ(c.english, GetStatusText(path.c_str(), entry));
        testing_support::ScopedThreadLanguage german(MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN));
        std::string text = GetStatusText(path.c_str(), entry);
        wchar_t wide[64] = {};
        ::MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, wide, 64);
        char utf8[128] = {};
        ::WideCharToMultiByte(CP_UTF8, 0, wide, -1, utf8, sizeof utf8, nullptr, nullptr);
        EXPECT_STREQ(c.german, utf8);
    }
}

}  // namespace
