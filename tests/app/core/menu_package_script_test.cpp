#include "app/core/menu_package_script.h"

#include <gtest/gtest.h>

namespace {

// A path may hold any quote PowerShell reads as closing a single-quoted string; doubled, each stays text.
TEST(MenuPackageScript, LiteralsDoubleEveryQuotePowerShellCloses) {
    struct Case {
        std::wstring text, literal;
    } const cases[] = {
        {L"C:\\Program Files\\Ferrow\\menu\\", L"'C:\\Program Files\\Ferrow\\menu\\'"},
        {L"C:\\O'Brien's\\menu\\", L"'C:\\O''Brien''s\\menu\\'"},
        {L"C:\\a\x2018" L"b\x2019" L"c\x201A" L"d\x201B", L"'C:\\a\x2018\x2018" L"b\x2019\x2019" L"c\x201A\x201A" L"d\x201B\x201B'"},
        {L"C:\\$(x) \"y\" `z`", L"'C:\\$(x) \"y\" `z`'"},  // nothing is expanded in single quotes
        {L"", L"''"},
    };
    for (const Case& c : cases) EXPECT_EQ(c.literal, app::PowerShellLiteral(c.text));
}

// -EncodedCommand takes base64 of UTF-16LE; every length modulo three pads differently.
TEST(MenuPackageScript, EncodedCommandIsBase64OfUtf16) {
    EXPECT_EQ(L"", app::EncodedCommand(L""));
    EXPECT_EQ(L"QQA=", app::EncodedCommand(L"A"));
    EXPECT_EQ(L"QQBCAA==", app::EncodedCommand(L"AB"));
    EXPECT_EQ(L"QQBCAEMA", app::EncodedCommand(L"ABC"));
    EXPECT_EQ(L"xABwAw==", app::EncodedCommand(L"\x00C4\x0370"));
}

}  // namespace
