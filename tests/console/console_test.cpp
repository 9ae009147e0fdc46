#include "common/module_instance.h"
#include "common/text.h"
#include "resources/resource.h"
#include "hostsupport/band_host.h"
#include "console/console_bar.h"
#include "console/console_link.h"
#include "console/console_output.h"
#include "com/guids.h"
#include "support/settings_guard.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

using testing_support::SetRawValue;
using testing_support::SettingsGuard;

namespace {

ferrow::ComPtr<IDeskBand> NewBar() {
    ferrow::ComPtr<IDeskBand> band;
    EXPECT_EQ(S_OK, console::CConsoleBar::CreateInstance(nullptr, IID_IDeskBand, band.PutVoid()));
    return band;
}

console::CConsoleBar* AsBar(IDeskBand* band) { return static_cast<console::CConsoleBar*>(band); }

HRESULT CreateBar(REFCLSID clsid, IUnknown** out) {
    if (!IsEqualCLSID(clsid, CLSID_CConsoleBar)) return REGDB_E_CLASSNOTREG;
    return console::CConsoleBar::CreateInstance(nullptr, IID_IUnknown, reinterpret_cast<void**>(out));
}

std::string EditText(HWND edit) {
    std::string text(static_cast<size_t>(::GetWindowTextLengthA(edit)) + 1, '\0');
    text.resize(static_cast<size_t>(::GetWindowTextA(edit, &text[0], static_cast<int>(text.size()))));
    return text;
}

void* BarProperty(const CBandHost& host) { return ::GetPropA(host.Frame(), "ConsoleBar"); }

// Every test leaves no current link behind.
class Console : public ::testing::Test {
protected:
    void TearDown() override { console::DropLink(); }
    SettingsGuard settings_;
};

TEST_F(Console, BandPropertyAppearsOnSitingAndGoesWithTheBand) {
    enum class End { CloseDW, Unsite, FinalRelease, FrameDestroyed };
    const struct {
        const char* what;
        End end;
    } cases[] = {{"closed", End::CloseDW},
                 {"unsited", End::Unsite},
                 {"released", End::FinalRelease},
                 {"window destroyed", End::FrameDestroyed}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        auto host = std::make_unique<CBandHost>();
        ferrow::ComPtr<IDeskBand> band = NewBar();
        ferrow::ComPtr<IObjectWithSite> withSite;
        ASSERT_EQ(S_OK, band.As(withSite));
        ASSERT_EQ(S_OK, withSite->SetSite(host->Site()));
        EXPECT_EQ(static_cast<void*>(AsBar(band.Get())), BarProperty(*host));
        HWND edit = nullptr;
        ASSERT_EQ(S_OK, band->GetWindow(&edit));
        EXPECT_EQ(host->SiteWindow(), ::GetParent(edit));
        char className[16] = {};
        ::GetClassNameA(edit, className, sizeof className);
        EXPECT_STRCASEEQ("Edit", className);
        EXPECT_EQ(0x503015C4u, static_cast<DWORD>(::GetWindowLongA(edit, GWL_STYLE)) & 0xFFFFFFFFu);

        switch (c.end) {
        case End::CloseDW:
            EXPECT_EQ(S_OK, band->CloseDW(0));
            EXPECT_FALSE(::IsWindow(edit));
            EXPECT_EQ(E_UNEXPECTED, band->GetWindow(&edit));
            break;
        case End::Unsite:
            EXPECT_EQ(S_OK, withSite->SetSite(nullptr));
            break;
        case End::FinalRelease:
            withSite.Reset();
            band.Reset();
            EXPECT_FALSE(::IsWindow(edit));
            break;
        case End::FrameDestroyed: {
            HWND frame = host->Frame();
            host.reset();
            EXPECT_FALSE(::IsWindow(frame));
            EXPECT_EQ(E_UNEXPECTED, band->GetWindow(&edit));
            break;
        }
        }
        if (host) {
            EXPECT_EQ(nullptr, BarProperty(*host));
        }
        if (withSite) withSite->SetSite(nullptr);
    }
}

TEST_F(Console, BandAnswersAndPersistence) {
    ferrow::ComPtr<IDeskBand> band = NewBar();
    const IID* interfaces[] = {&IID_IObjectWithSite, &IID_IPersistStream, &IID_IPersist,     &IID_IDeskBand,
                               &IID_IDockingWindow,  &IID_IOleWindow,     &IID_IInputObject, &IID_IProvideClassInfo};
    ferrow::ComPtr<IUnknown> identity;
    ASSERT_EQ(S_OK, band->QueryInterface(IID_IUnknown, identity.PutVoid()));
    for (const IID* iid : interfaces) {
        ferrow::ComPtr<IUnknown> part;
        ASSERT_EQ(S_OK, band->QueryInterface(*iid, part.PutVoid()));
        ferrow::ComPtr<IUnknown> back;
        ASSERT_EQ(S_OK, part->QueryInterface(IID_IUnknown, back.PutVoid()));
        EXPECT_EQ(identity.Get(), back.Get());
    }
    ferrow::ComPtr<IPersistStream> persist;
    ASSERT_EQ(S_OK, band.As(persist));
    CLSID clsid = {};
    EXPECT_EQ(S_OK, persist->GetClassID(&clsid));
    EXPECT_TRUE(IsEqualCLSID(CLSID_CConsoleBar, clsid));
    EXPECT_EQ(S_FALSE, persist->IsDirty());
    EXPECT_EQ(S_OK, persist->Load(nullptr));
    EXPECT_EQ(S_OK, persist->Save(nullptr, TRUE));
    ULARGE_INTEGER size;
    EXPECT_EQ(E_NOTIMPL, persist->GetSizeMax(&size));
    EXPECT_EQ(E_NOTIMPL, band->ContextSensitiveHelp(TRUE));
    EXPECT_EQ(E_NOTIMPL, band->ResizeBorderDW(nullptr, nullptr, FALSE));
    HWND window = reinterpret_cast<HWND>(1);
    EXPECT_EQ(E_UNEXPECTED, band->GetWindow(&window));
    EXPECT_EQ(S_OK, band->ShowDW(TRUE));  // nothing to show yet
    ferrow::ComPtr<IInputObject> input;
    ASSERT_EQ(S_OK, band.As(input));
    EXPECT_EQ(S_FALSE, input->TranslateAcceleratorIO(nullptr));
    EXPECT_EQ(S_FALSE, input->HasFocusIO());
    ferrow::ComPtr<IObjectWithSite> withSite;
    ASSERT_EQ(S_OK, band.As(withSite));
    EXPECT_EQ(E_POINTER, withSite->GetSite(IID_IUnknown, nullptr));
    void* site = reinterpret_cast<void*>(1);
    EXPECT_EQ(E_FAIL, withSite->GetSite(IID_IUnknown, &site));
    EXPECT_EQ(nullptr, site);
}

TEST_F(Console, SiteWithoutAWindowIsRefused) {
    ferrow::ComPtr<IStream> notASite;
    ASSERT_EQ(S_OK, ::CreateStreamOnHGlobal(nullptr, TRUE, notASite.Put()));
    ferrow::ComPtr<IDeskBand> band = NewBar();
    ferrow::ComPtr<IObjectWithSite> withSite;
    ASSERT_EQ(S_OK, band.As(withSite));
    EXPECT_EQ(E_NOINTERFACE, withSite->SetSite(notASite.Get()));
    HWND edit = nullptr;
    EXPECT_EQ(E_UNEXPECTED, band->GetWindow(&edit));
    // The site is kept all the same, as given.
    ferrow::ComPtr<IStream> back;
    EXPECT_EQ(S_OK, withSite->GetSite(IID_IStream, back.PutVoid()));
    EXPECT_EQ(S_OK, withSite->SetSite(nullptr));
}

TEST_F(Console, BandInfoFillsOnlyWhatTheMaskAsks) {
    ferrow::ComPtr<IDeskBand> band = NewBar();
    EXPECT_EQ(E_INVALIDARG, band->GetBandInfo(1, 0, nullptr));

    DESKBANDINFO info;
    std::memset(&info, 0xAB, sizeof info);
    info.dwMask = DBIM_TITLE;
    ASSERT_EQ(S_OK, band->GetBandInfo(7, DBIF_VIEWMODE_NORMAL, &info));
    EXPECT_STREQ(L"CVS Output", info.wszTitle);
    EXPECT_EQ(static_cast<DWORD>(DBIM_TITLE), info.dwMask);
    EXPECT_EQ(static_cast<LONG>(0xABABABAB), info.ptMinSize.x);
    EXPECT_EQ(0xABABABABu, info.dwModeFlags);

    std::memset(&info, 0xAB, sizeof info);
    info.dwMask = DBIM_MINSIZE | DBIM_MAXSIZE | DBIM_INTEGRAL | DBIM_ACTUAL | DBIM_MODEFLAGS | DBIM_BKCOLOR;
    ASSERT_EQ(S_OK, band->GetBandInfo(7, DBIF_VIEWMODE_NORMAL, &info));
    EXPECT_EQ(100, info.ptMinSize.x);
    EXPECT_EQ(50, info.ptMinSize.y);
    EXPECT_EQ(-1, info.ptMaxSize.x);
    EXPECT_EQ(-1, info.ptMaxSize.y);
    EXPECT_EQ(1, info.ptIntegral.x);
    EXPECT_EQ(1, info.ptIntegral.y);
    EXPECT_EQ(0, info.ptActual.x);
    EXPECT_EQ(0, info.ptActual.y);
    EXPECT_EQ(static_cast<DWORD>(DBIMF_VARIABLEHEIGHT), info.dwModeFlags);
    EXPECT_EQ(0u, info.dwMask & DBIM_BKCOLOR);
    EXPECT_EQ(static_cast<wchar_t>(0xABAB), info.wszTitle[0]);
}

TEST_F(Console, LinkAppendsAndClearsAndDropsTextForAClosedBand) {
    CBandHost host;
    EXPECT_FALSE(console::Append("nobody listens\r\n"));
    ASSERT_EQ(S_OK, console::ReplaceLink(host.Site()));
    EXPECT_TRUE(console::HasLink());
    EXPECT_FALSE(console::Append("no bar yet\r\n"));  // the bar was never opened in this window
    EXPECT_FALSE(console::HasBar());

    ferrow::ComPtr<IDeskBand> band = NewBar();
    ASSERT_EQ(S_OK, host.OpenBand(band.Get()));
    HWND edit = nullptr;
    ASSERT_EQ(S_OK, band->GetWindow(&edit));
    ::SetWindowTextA(edit, "typed by the user");
    EXPECT_TRUE(console::Clear());
    EXPECT_EQ("", EditText(edit));
    EXPECT_TRUE(console::Append(">cvs update\r\n"));
    EXPECT_TRUE(console::Append("U a.c\r\nok\r\n"));
    EXPECT_EQ(">cvs update\r\nU a.c\r\nok\r\n", EditText(edit));
    EXPECT_TRUE(console::HasBar());

    // A site-less replacement keeps the current link.
    EXPECT_EQ(S_OK, console::ReplaceLink(nullptr));
    EXPECT_TRUE(console::Append("x"));

    ASSERT_EQ(S_OK, host.CloseBand());
    EXPECT_FALSE(console::Append("after close\r\n"));
    EXPECT_FALSE(console::Clear());
    EXPECT_FALSE(console::HasBar());
}

TEST_F(Console, TheBarKeepsLargeOutputWholeAndDropsOnlyItsStart) {
    CBandHost host;
    ferrow::ComPtr<IDeskBand> band = NewBar();
    ASSERT_EQ(S_OK, host.OpenBand(band.Get()));
    HWND edit = nullptr;
    ASSERT_EQ(S_OK, band->GetWindow(&edit));
    ASSERT_EQ(S_OK, console::ReplaceLink(host.Site()));
    // An update of 4,000 lines (152,000 bytes), line by line: all of it, the end included.
    std::string all;
    for (int i = 0; i < 4000; ++i) {
        char line[64];
        std::snprintf(line, sizeof line, "U src/module/file%04d.c (some more text to pad)\r\n", i);
        all += line;
        console::Append(line);
    }
    console::Append("ok\r\n");
    const std::string whole = EditText(edit);
    EXPECT_EQ(all.size() + 4, whole.size());
    EXPECT_TRUE(whole == all + "ok\r\n");

    // Past the limit, whole lines go from the start, a line says so, and the new text is there in full.
    const struct {
        const char* what;
        std::string text;
    } cases[] = {
        {"a line", "the newest line\r\n"},
        {"more than the limit at once", std::string(3000, 'x') + "\r\nthe end\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ::SetWindowTextA(edit, all.c_str());
        console::AppendLimited(edit, c.text, 2000);
        const std::string shown = EditText(edit);
        const std::string marker = ferrow::LoadResString(IDS_CONSOLE_TRIMMED) + "\r\n";
        EXPECT_EQ(0u, shown.find(marker)) << shown.substr(0, 80);
        EXPECT_LE(shown.size(), 2000u);
        const std::string kept = shown.substr(marker.size());
        const std::string tail = c.text.size() > 1500 ? c.text.substr(c.text.size() - 1500) : c.text;
        EXPECT_EQ(tail, kept.substr(kept.size() - tail.size()));
        const std::string before = kept.substr(0, kept.size() - tail.size());
        if (!before.empty()) {
            EXPECT_EQ(0u, before.find("U src/module/file")) << before.substr(0, 40);  // a whole line
            EXPECT_EQ(all.substr(all.size() - before.size()), before);
        }
    }
}

TEST_F(Console, OutputGoesToTheWindowOfTheLastContextMenu) {
    CBandHost first(nullptr, "first");
    CBandHost second(nullptr, "second");
    ferrow::ComPtr<IDeskBand> firstBand = NewBar();
    ferrow::ComPtr<IDeskBand> secondBand = NewBar();
    ASSERT_EQ(S_OK, first.OpenBand(firstBand.Get()));
    ASSERT_EQ(S_OK, second.OpenBand(secondBand.Get()));
    HWND firstEdit = nullptr, secondEdit = nullptr;
    firstBand->GetWindow(&firstEdit);
    secondBand->GetWindow(&secondEdit);

    console::ReplaceLink(first.Site());
    console::ReplaceLink(second.Site());
    EXPECT_TRUE(console::Append("to second"));
    console::ReplaceLink(first.Site());
    EXPECT_TRUE(console::Append("to first"));
    EXPECT_EQ("to first", EditText(firstEdit));
    EXPECT_EQ("to second", EditText(secondEdit));
}

TEST_F(Console, AutoShowOpensTheBarOnlyForAStoredOne) {
    const struct {
        const char* what;
        DWORD type;
        std::string bytes;  // empty: no value
        bool shows;
    } cases[] = {
        {"absent", REG_NONE, "", false},
        {"zero", REG_DWORD, std::string("\0\0\0\0", 4), false},
        {"string one", REG_SZ, std::string("1\0", 2), false},
        {"two", REG_DWORD, std::string("\2\0\0\0", 4), false},
        {"one", REG_DWORD, std::string("\1\0\0\0", 4), true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        SettingsGuard::Clear();
        if (!c.bytes.empty()) {
            ASSERT_TRUE(SetRawValue("Software\\Pembrake\\Ferrow\\Options", "AutoShowOutput", c.type, c.bytes.data(),
                                    static_cast<DWORD>(c.bytes.size())));
        }
        CBandHost host(CreateBar);
        console::ReplaceLink(host.Site());
        EXPECT_EQ(c.shows, console::ShowIfAuto());
        EXPECT_EQ(c.shows ? 1 : 0, host.ShowBrowserBarCalls());
        EXPECT_EQ(c.shows, BarProperty(host) != nullptr);
        if (c.shows) {
            EXPECT_EQ(L"{" + ferrow::AnsiToWide(FERROW_GUID_TEXT_CConsoleBar) + L"}", host.LastShownBar());
            EXPECT_TRUE(console::Append("shown"));
        }
        console::DropLink();
    }
}

TEST_F(Console, FocusFollowsTheEditControlAndIsReportedToTheSite) {
    CBandHost host;
    ferrow::ComPtr<IDeskBand> band = NewBar();
    ASSERT_EQ(S_OK, host.OpenBand(band.Get()));
    ferrow::ComPtr<IInputObject> input;
    ASSERT_EQ(S_OK, band.As(input));
    ::SetForegroundWindow(host.Frame());
    ::SetFocus(host.Frame());
    EXPECT_EQ(S_FALSE, input->HasFocusIO());
    EXPECT_EQ(S_OK, input->UIActivateIO(TRUE, nullptr));
    EXPECT_EQ(S_OK, input->HasFocusIO());
    EXPECT_TRUE(host.LastFocus());
    ::SetFocus(host.Frame());
    EXPECT_EQ(S_FALSE, input->HasFocusIO());
    EXPECT_FALSE(host.LastFocus());
    EXPECT_GE(host.FocusChanges(), 2);
}

}  // namespace
