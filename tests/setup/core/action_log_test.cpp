#include "setup/core/action_log.h"

#include <gtest/gtest.h>

namespace {

// The installer's own lines quote the install folder; a folder may hold spaces and quotes.
TEST(SetupActionLog, ProgramIsTheFirstArgumentAsCreateProcessReadsIt) {
    struct Case {
        std::wstring line, program;
    } const cases[] = {
        {L"\"C:\\it's Ferrow\\Ferrow.exe\" /register-menu /quiet", L"C:\\it's Ferrow\\Ferrow.exe"},
        {L"\"C:\\Program Files\\Ferrow\\Ferrow.exe\"", L"C:\\Program Files\\Ferrow\\Ferrow.exe"},
        {L"C:\\Ferrow\\Ferrow.exe\t/unregister-menu", L"C:\\Ferrow\\Ferrow.exe"},
        {L"\"C:\\Program Files\\Ferrow.exe /quiet", L""},  // unclosed: nothing rather than a guess
        {L"\"\" /quiet", L""},
        {L"", L""},
    };
    for (const Case& c : cases) EXPECT_EQ(c.program, setup::ProgramOfCommandLine(c.line)) << c.line.size();
}

// PowerShell's messages hold brackets ("[Add-AppxPackage]") and braces; each must survive the formatting.
TEST(SetupActionLog, EscapesEveryCharacterTheInstallerFormats) {
    EXPECT_EQ(L"[\\[]ProductCode[\\]] [\\{][\\[]1[\\]][\\}] 50% \\ \"x\"",
              setup::EscapeFormatted(L"[ProductCode] {[1]} 50% \\ \"x\""));
    EXPECT_EQ(L"", setup::EscapeFormatted(L""));
}

}  // namespace
