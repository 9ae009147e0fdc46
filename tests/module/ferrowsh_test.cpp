// The shell host as a user runs it: output lines and exit codes.
#include "common/handles.h"
#include "support/fixtures.h"
#include "support/shell_host.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

using HostRun = testing_support::ShellHostRun;

HostRun Ferrowsh(const std::string& arguments) { return testing_support::RunShellHostApart(arguments); }

std::string DllArg() { return "--dll \"" FERROW_DLL "\" "; }

TEST(Ferrowsh, OverlaysThroughTheDll) {
    const std::string wc = testing_support::SampleFixture("wc");
    HostRun run = Ferrowsh(DllArg() + "overlays \"" + wc + "\" \"" + wc + "\\modified.c\" \"" + wc + "\\unlisted.txt\"");
    EXPECT_EQ(0u, run.exitCode) << run.err;
    EXPECT_NE(std::string::npos, run.out.find("\\wc: FerrowModified=no FerrowControlled=yes -> blue")) << run.out;
    EXPECT_NE(std::string::npos, run.out.find("modified.c: FerrowModified=yes FerrowControlled=yes -> red")) << run.out;
    EXPECT_NE(std::string::npos, run.out.find("unlisted.txt: FerrowModified=no FerrowControlled=no -> no mark")) << run.out;
    EXPECT_TRUE(run.err.empty()) << run.err;
}

TEST(Ferrowsh, CommandsPrintWindows11sTree) {
    const std::string wc = testing_support::SampleFixture("wc");
    const struct {
        std::string arguments;
        std::vector<std::string> shown;  // in this order
    } cases[] = {
        {"commands \"" + wc + "\\modified.c\"",
         {"CVS  flags 0x1 (subcommands)  quick: pending  state: enabled  icon ,-", "\n  &Update ", "\n  &Diff... ",
          "\n     ----------", "\n  &Options... "}},
        {"commands --background \"" + wc + "\"", {"state: enabled", "\n  &Update ", "\n  &Tag... "}},
        // Outside a working copy: a folder offers Checkout and Import, a file nothing.
        {"commands \"" FERROW_TEST_DATA "\"", {"state: enabled", "\n  C&heckout... ", "\n  &Import... "}},
        {"commands \"" FERROW_TEST_DATA "\\logs\\trunk.log\"", {"quick: pending  state: hidden"}},
    };
    for (const auto& c : cases) {
        HostRun run = Ferrowsh(DllArg() + c.arguments);
        EXPECT_EQ(0u, run.exitCode) << c.arguments << ": " << run.err;
        size_t at = 0;
        for (const std::string& text : c.shown) {
            at = run.out.find(text, at);
            EXPECT_NE(std::string::npos, at) << c.arguments << " lacks \"" << text << "\": " << run.out;
            if (at == std::string::npos) break;
        }
    }
}

TEST(Ferrowsh, ProblemsGiveOneLineAndAnExitCode) {
    const std::string wc = testing_support::SampleFixture("wc");
    const struct {
        std::string arguments;
        DWORD exitCode;
        const char* message;
    } cases[] = {
        {"", 2, "no command given"},
        {"bogus", 2, "unknown command: bogus"},
        {"--frobnicate overlays x", 2, "unknown option: --frobnicate"},
        {"--dll", 2, "--dll needs a path"},
        {DllArg() + "overlays", 2, "overlays needs at least one path"},
        {DllArg() + "overlays Z:\\no\\such\\folder\\file.txt", 2, "no such file or folder: Z:\\no\\such\\folder\\file.txt"},
        {"--dll Z:\\no\\such.dll overlays \"" + wc + "\"", 2, "no such DLL: Z:\\no\\such.dll"},
        {"--dll \"" FERROW_TEST_DATA "\" register", 2, "cannot load"},
        {DllArg() + "register extra", 2, "unexpected argument: extra"},
        {DllArg() + "commands --background a b", 2, "commands needs at least one path"},
    };
    for (const auto& c : cases) {
        HostRun run = Ferrowsh(c.arguments);
        EXPECT_EQ(c.exitCode, run.exitCode) << c.arguments;
        EXPECT_EQ(0u, run.err.find(std::string("ferrowsh: ") + c.message)) << c.arguments << " -> " << run.err;
        EXPECT_EQ(run.err.size() - 1, run.err.find('\n')) << "one line: " << run.err;
    }
}

// An identifier key under ShellIconOverlayIdentifiers, removed again at the end of the test.
class OverlayKey {
public:
    OverlayKey(const std::wstring& name, const std::wstring& clsid) : path_(std::wstring(kOverlays) + name) {
        ::RegSetKeyValueW(HKEY_LOCAL_MACHINE, path_.c_str(), nullptr, REG_SZ, clsid.c_str(),
                          static_cast<DWORD>((clsid.size() + 1) * sizeof(wchar_t)));
    }
    ~OverlayKey() { ::RegDeleteKeyW(HKEY_LOCAL_MACHINE, path_.c_str()); }
    OverlayKey(const OverlayKey&) = delete;
    OverlayKey& operator=(const OverlayKey&) = delete;

    static constexpr const wchar_t* kOverlays =
        L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\ShellIconOverlayIdentifiers\\";

private:
    std::wstring path_;
};

TEST(Ferrowsh, HandlersPrintTheOverlayLoadOrderAndStaleKeys) {
    ASSERT_EQ(0u, Ferrowsh("register").exitCode);
    {
        // Twelve identifiers of other programs sort before the module's (more leading spaces), one after.
        std::vector<std::unique_ptr<OverlayKey>> others;
        for (int i = 0; i < 12; ++i)
            others.push_back(std::make_unique<OverlayKey>(std::wstring(7 + i % 2, L' ') + L"Sync" + std::to_wstring(i),
                                                          L"{00000000-0000-0000-0000-000000000001}"));
        others.push_back(std::make_unique<OverlayKey>(L"  Late", L"{00000000-0000-0000-0000-000000000002}"));
        HostRun run = Ferrowsh("handlers");
        EXPECT_EQ(0u, run.exitCode) << run.out;
        EXPECT_NE(std::string::npos, run.out.find("overlay load order: 15 identifiers, the shell loads the first 11"))
            << run.out;
        EXPECT_NE(std::string::npos, run.out.find("   13 \"      FerrowControlled\" (Ferrow) not loaded")) << run.out;
        EXPECT_NE(std::string::npos, run.out.find("   15 \"  Late\" not loaded")) << run.out;
        EXPECT_NE(std::string::npos, run.out.find("NOT loaded, 12 identifiers of other programs come first")) << run.out;

        // A key an older version left, naming the module's class: a stale registration point.
        OverlayKey older(L"CVSModified", L"{0A340D40-6A03-4DDA-B9E8-BE51AE1BA8A5}");
        run = Ferrowsh("handlers");
        EXPECT_EQ(1u, run.exitCode);
        EXPECT_NE(std::string::npos, run.out.find("stale HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\"
                                                  "ShellIconOverlayIdentifiers\\CVSModified")) << run.out;
    }
    EXPECT_EQ(0u, Ferrowsh("unregister").exitCode);
}

}  // namespace
