#include "settings/mru_list.h"
#include "settings/settings_store.h"
#include "support/settings_guard.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using settings::CMRUList;
using testing_support::GetRawValue;
using testing_support::SetRawValue;
using testing_support::SettingsGuard;

namespace {

std::vector<std::string> Entries(const CMRUList& list) { return std::vector<std::string>(list.begin(), list.end()); }

CMRUList TagList() { return CMRUList(HKEY_CURRENT_USER, settings::kMRUKey, "Tag", 20); }

TEST(MRUList, MissingKeyOrValueLoadsNothing) {
    SettingsGuard guard;
    CMRUList list = TagList();
    EXPECT_FALSE(list.Load());
    ASSERT_TRUE(SetRawValue(settings::kMRUKey, "LogMessage", REG_MULTI_SZ, "x\0\0", 3));
    EXPECT_FALSE(list.Load());
    EXPECT_TRUE(list.empty());
}

TEST(MRUList, SavedListsLoadBackInOrder) {
    SettingsGuard guard;
    const std::vector<std::vector<std::string>> lists = {
        {},
        {"only"},
        {"newest", "Mixed Case", "with\r\nline break", "  blanks  "},
    };
    for (const auto& texts : lists) {
        CMRUList list = TagList();
        for (auto it = texts.rbegin(); it != texts.rend(); ++it) list.Add(*it);
        ASSERT_TRUE(list.Save());
        CMRUList again = TagList();
        ASSERT_TRUE(again.Load());
        EXPECT_EQ(texts, Entries(again));
    }
    // The empty list is stored as a single NUL byte.
    CMRUList empty = TagList();
    ASSERT_TRUE(empty.Save());
    DWORD type = 0;
    std::string data;
    ASSERT_TRUE(GetRawValue(settings::kMRUKey, "Tag", type, data));
    EXPECT_EQ(static_cast<DWORD>(REG_MULTI_SZ), type);
    EXPECT_EQ(std::string("\0", 1), data);
}

TEST(MRUList, FullListDropsTheOldestAndSavesTwenty) {
    SettingsGuard guard;
    CMRUList list = TagList();
    for (int i = 1; i <= 20; ++i) list.Add("tag" + std::to_string(i));
    list.Add("tag21");
    ASSERT_TRUE(list.Save());
    CMRUList again = TagList();
    ASSERT_TRUE(again.Load());
    auto entries = Entries(again);
    ASSERT_EQ(20u, entries.size());
    EXPECT_EQ("tag21", entries.front());
    EXPECT_EQ("tag2", entries.back());
}

TEST(MRUList, BadStoredValuesAreIgnoredAndReplacedOnSave) {
    const std::string huge = std::string(9000, 'm') + std::string("\0\0", 2);
    const struct {
        const char* what;
        DWORD type;
        std::string bytes;
    } cases[] = {
        {"REG_SZ", REG_SZ, std::string("old\0", 4)},
        {"over 8192 bytes", REG_MULTI_SZ, huge},
        {"without final NULs", REG_MULTI_SZ, std::string("old", 3)},
        {"REG_BINARY", REG_BINARY, std::string("old\0\0", 5)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        SettingsGuard guard;
        ASSERT_TRUE(SetRawValue(settings::kMRUKey, "Tag", c.type, c.bytes.data(), static_cast<DWORD>(c.bytes.size())));
        CMRUList list = TagList();
        EXPECT_FALSE(list.Load());
        EXPECT_TRUE(list.empty());
        list.Add("new");
        ASSERT_TRUE(list.Save());
        DWORD type = 0;
        std::string data;
        ASSERT_TRUE(GetRawValue(settings::kMRUKey, "Tag", type, data));
        EXPECT_EQ(static_cast<DWORD>(REG_MULTI_SZ), type);
        EXPECT_EQ(std::string("new\0\0", 5), data);
    }
}

TEST(MRUList, HandEditedValueShownAsStoredUntilTheNextAdd) {
    SettingsGuard guard;
    ASSERT_TRUE(SetRawValue(settings::kMRUKey, "Tag", REG_MULTI_SZ, "a\0b\0a\0\0", 8));
    CMRUList list(HKEY_CURRENT_USER, settings::kMRUKey, "Tag", 2);
    ASSERT_TRUE(list.Load());
    EXPECT_EQ((std::vector<std::string>{"a", "b", "a"}), Entries(list));
    list.Add("b");
    EXPECT_EQ((std::vector<std::string>{"b", "a"}), Entries(list));
}

TEST(MRUList, LongMessagesStillLoadAfterSaving) {
    // Twenty log messages of 1000 bytes would be a value the next Load rejects, losing them all.
    SettingsGuard guard;
    CMRUList list(HKEY_CURRENT_USER, settings::kMRUKey, "LogMessage", 20);
    for (int i = 0; i < 20; ++i) list.Add(std::string(1000, static_cast<char>('a' + i)));
    ASSERT_TRUE(list.Save());
    CMRUList again(HKEY_CURRENT_USER, settings::kMRUKey, "LogMessage", 20);
    ASSERT_TRUE(again.Load());
    ASSERT_EQ(8u, again.size());
    EXPECT_EQ(std::string(1000, 't'), *again.begin());
}

}  // namespace
