#include "app/core/program_args.h"

#include <gtest/gtest.h>

namespace {

TEST(ProgramArgs, ReadsWhatTheHandlersWrite) {
    const app::ProgramArgs args = app::ParseProgramArgs(
        {L"/Command:Update", L"/pathfile:C:\\Temp\\fsl1.tmp", L"/deletepathfile", L"/hwnd:0x1A2b", L"/askpass",
         L"/root::pserver:me@host:/cvs", L"Password for me:"});
    EXPECT_EQ(L"update", args.command);
    EXPECT_EQ(L"C:\\Temp\\fsl1.tmp", args.pathFile);
    EXPECT_TRUE(args.deletePathFile);
    EXPECT_EQ(0x1A2Bu, args.hwnd);
    ASSERT_EQ(2u, args.options.size());
    EXPECT_EQ(L"", args.options.at(L"askpass"));
    EXPECT_EQ(L":pserver:me@host:/cvs", args.options.at(L"root"));  // the value keeps its own colons
    ASSERT_EQ(1u, args.positional.size());
    EXPECT_EQ(L"Password for me:", args.positional[0]);
}

TEST(ProgramArgs, AWindowThatIsNoNumberIsNoWindow) {
    const struct {
        const wchar_t* text;
        std::uintptr_t hwnd;
    } cases[] = {
        {L"/hwnd:123", 123u}, {L"/hwnd:0x", 0u},  {L"/hwnd:12a", 0u},
        {L"/hwnd:", 0u},      {L"/hwnd:-5", 0u},  {L"/hwnd:0xFFFFFFFFFFFFFFFFFF", 0u},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.hwnd, app::ParseProgramArgs({c.text}).hwnd) << static_cast<const void*>(c.text);
    }
    EXPECT_FALSE(app::ParseProgramArgs({}).deletePathFile);
}

}  // namespace
