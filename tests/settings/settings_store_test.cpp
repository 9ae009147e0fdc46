#include "settings/settings_store.h"
#include "support/settings_guard.h"
#include "views/core/column_rules.h"

#include <gtest/gtest.h>

#include <string>

using testing_support::SetRawValue;
using testing_support::SettingsGuard;

namespace {

TEST(SettingsStore, FreshUserGetsEveryDefault) {
    SettingsGuard guard;
    EXPECT_EQ("cvs", settings::GetCvsCommand());
    std::string tool;
    ASSERT_TRUE(settings::GetTool("Cvs", tool));
    EXPECT_EQ("cvs", tool);
    ASSERT_TRUE(settings::GetTool("Diff", tool));
    EXPECT_EQ("windiff $(OldFile) $(NewFile)", tool);
    ASSERT_TRUE(settings::GetTool("View", tool));
    EXPECT_EQ("notepad $(File)", tool);
    tool = "untouched";
    EXPECT_FALSE(settings::GetTool("Editor", tool));
    EXPECT_EQ("untouched", tool);
    EXPECT_FALSE(settings::UseCVSNTTimestamps());
    EXPECT_EQ(0u, settings::GetAutoShowOutput());
    EXPECT_EQ(3u, settings::GetColumnFlags("Status", ColumnFlags{}.Status));
    EXPECT_EQ(3u, settings::GetColumnFlags("Tag", ColumnFlags{}.Tag));
    EXPECT_EQ(1u, settings::GetColumnFlags("Options", ColumnFlags{}.Options));
    EXPECT_EQ(1u, settings::GetColumnFlags("Revision", ColumnFlags{}.Revision));
    EXPECT_EQ(0u, settings::GetColumnFlags("Author", ColumnFlags{}.Author));
}

// How a stored "Diff" value of a given type and raw bytes reads.
struct StringCase {
    const char* what;
    DWORD type;
    std::string bytes;
    bool read;
    const char* expected;  // the text read, or what GetTool falls back to
};

TEST(SettingsStore, StringValuesOfEveryShape) {
    const std::string max(259, 'x');
    const StringCase cases[] = {
        {"plain", REG_SZ, std::string("mydiff $(OldFile)\0", 18), true, "mydiff $(OldFile)"},
        {"expand type kept unexpanded", REG_EXPAND_SZ, std::string("%WINDIR%\\d.exe\0", 15), true,
         "%WINDIR%\\d.exe"},
        {"empty string", REG_SZ, std::string("\0", 1), true, ""},
        {"no data at all", REG_SZ, std::string(), true, ""},
        {"259 characters fit", REG_SZ, max + '\0', true, max.c_str()},
        {"260 characters do not", REG_SZ, max + "y" + '\0', false, "windiff $(OldFile) $(NewFile)"},
        {"300 characters do not", REG_SZ, std::string(300, 'z') + '\0', false, "windiff $(OldFile) $(NewFile)"},
        {"binary", REG_BINARY, std::string("abc\0", 4), false, "windiff $(OldFile) $(NewFile)"},
        {"dword", REG_DWORD, std::string("\1\0\0\0", 4), false, "windiff $(OldFile) $(NewFile)"},
        {"multi-string", REG_MULTI_SZ, std::string("a\0\0", 3), false, "windiff $(OldFile) $(NewFile)"},
    };
    for (const StringCase& c : cases) {
        SCOPED_TRACE(c.what);
        SettingsGuard guard;
        ASSERT_TRUE(SetRawValue(settings::kToolsKey, "Diff", c.type, c.bytes.data(),
                                static_cast<DWORD>(c.bytes.size())));
        std::string value = "marker";
        EXPECT_EQ(c.read, settings::ReadString(settings::kToolsKey, "Diff", value));
        EXPECT_EQ(c.read ? std::string(c.expected) : std::string("marker"), value);
        std::string tool;
        ASSERT_TRUE(settings::GetTool("Diff", tool));
        EXPECT_EQ(c.expected, tool);
    }
}

TEST(SettingsStore, ClientCommandFallsBackToCvsWhenEmptyOrUnreadable) {
    const struct {
        const char* what;
        DWORD type;
        std::string bytes;
        const char* expected;
    } cases[] = {
        {"set", REG_SZ, std::string("C:\\bin\\cvs.exe\0", 15), "C:\\bin\\cvs.exe"},
        {"empty", REG_SZ, std::string("\0", 1), "cvs"},
        {"wrong type", REG_DWORD, std::string("\0\0\0\0", 4), "cvs"},
        {"oversized", REG_SZ, std::string(400, 'c') + '\0', "cvs"},
        {"expand kept", REG_EXPAND_SZ, std::string("%ProgramFiles%\\CVSNT\\cvs.exe\0", 29),
         "%ProgramFiles%\\CVSNT\\cvs.exe"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        SettingsGuard guard;
        ASSERT_TRUE(SetRawValue(settings::kToolsKey, "Cvs", c.type, c.bytes.data(), static_cast<DWORD>(c.bytes.size())));
        EXPECT_EQ(c.expected, settings::GetCvsCommand());
    }
    // The Tools page shows an empty client value as empty, though it runs "cvs".
    SettingsGuard guard;
    ASSERT_TRUE(settings::SetTool("Cvs", ""));
    std::string tool = "marker";
    ASSERT_TRUE(settings::GetTool("Cvs", tool));
    EXPECT_EQ("", tool);
}

TEST(SettingsStore, DwordValuesOfEveryShape) {
    const struct {
        const char* what;
        DWORD type;
        std::string bytes;
        DWORD expected;
    } cases[] = {
        {"one", REG_DWORD, std::string("\1\0\0\0", 4), 1},
        {"zero", REG_DWORD, std::string("\0\0\0\0", 4), 0},
        {"other number", REG_DWORD, std::string("\2\0\0\0", 4), 2},
        {"string one", REG_SZ, std::string("1\0", 2), 0},
        {"long string", REG_SZ, std::string("111111\0", 7), 0},
        {"eight bytes", REG_BINARY, std::string("\1\0\0\0\0\0\0\0", 8), 0},
        {"two bytes", REG_BINARY, std::string("\1\0", 2), 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        SettingsGuard guard;
        ASSERT_TRUE(SetRawValue(settings::kOptionsKey, "AutoShowOutput", c.type, c.bytes.data(),
                                static_cast<DWORD>(c.bytes.size())));
        EXPECT_EQ(c.expected, settings::GetAutoShowOutput());
    }
}

TEST(SettingsStore, TimestampRuleIsCaseSensitive) {
    const struct {
        const char* stored;
        bool cvsnt;
    } cases[] = {{"CVSNT", true}, {"cvsnt", false}, {"CVS", false}, {"CVSNT ", false}, {"", false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored);
        SettingsGuard guard;
        ASSERT_TRUE(settings::WriteString(settings::kOptionsKey, "TimestampCompatibility", c.stored));
        EXPECT_EQ(c.cvsnt, settings::UseCVSNTTimestamps());
    }
}

TEST(SettingsStore, ToolsPageKeepsValuesOfClearedFields) {
    SettingsGuard guard;
    settings::SaveToolFields("mycvs", "mydiff $(OldFile) $(NewFile)", "myview $(File)");
    settings::SaveToolFields("", "", "less $(File)");
    std::string tool;
    ASSERT_TRUE(settings::GetTool("Cvs", tool));
    EXPECT_EQ("mycvs", tool);
    ASSERT_TRUE(settings::GetTool("Diff", tool));
    EXPECT_EQ("mydiff $(OldFile) $(NewFile)", tool);
    ASSERT_TRUE(settings::GetTool("View", tool));
    EXPECT_EQ("less $(File)", tool);
    // A field longer than a stored value may be is cut so that it still reads back.
    settings::SaveToolFields("", std::string(400, 'd'), "");
    ASSERT_TRUE(settings::GetTool("Diff", tool));
    EXPECT_EQ(std::string(259, 'd'), tool);
}

TEST(SettingsStore, OptionsPageWritesBothValues) {
    SettingsGuard guard;
    ASSERT_TRUE(settings::SaveOptions(true, true, nullptr));
    EXPECT_TRUE(settings::UseCVSNTTimestamps());
    EXPECT_EQ(1u, settings::GetAutoShowOutput());
    ASSERT_TRUE(settings::SaveOptions(false, false, nullptr));
    EXPECT_FALSE(settings::UseCVSNTTimestamps());
    EXPECT_EQ(0u, settings::GetAutoShowOutput());
    std::string rule;
    ASSERT_TRUE(settings::ReadString(settings::kOptionsKey, "TimestampCompatibility", rule));
    EXPECT_EQ("CVS", rule);
}

TEST(SettingsStore, ColumnFlagsReadAsStored) {
    SettingsGuard guard;
    DWORD author = 3;
    ASSERT_TRUE(SetRawValue(settings::kColumnsKey, "Author", REG_DWORD, &author, sizeof author));
    EXPECT_EQ(3u, settings::GetColumnFlags("Author", ColumnFlags{}.Author));
    EXPECT_EQ(1u, settings::GetColumnFlags("Options", ColumnFlags{}.Options));
}

}  // namespace
