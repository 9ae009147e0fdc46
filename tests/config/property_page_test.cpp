// The IPropertyPage machinery the three settings pages share.
#include "page_support.h"

#include "common/module_instance.h"
#include "support/fixtures.h"

#include <gtest/gtest.h>

#include <string>

using pagetest::CreatePage;
using pagetest::FakeSite;
using pagetest::HostWindow;
using pagetest::kPageRect;
using pagetest::PageWindow;

namespace {

std::wstring Take(LPOLESTR text) {
    std::wstring s = text ? text : L"(null)";
    ::CoTaskMemFree(text);
    return s;
}

}  // namespace

TEST(PropertyPage, SiteIsHeldOnceAndReleased) {
    auto page = CreatePage<config::COptionsPage>();
    ASSERT_TRUE(page);
    FakeSite site, other;
    EXPECT_EQ(S_OK, page->SetPageSite(&site));
    EXPECT_EQ(2, site.refs);
    EXPECT_EQ(E_UNEXPECTED, page->SetPageSite(&other));
    EXPECT_EQ(1, other.refs);
    EXPECT_EQ(S_OK, page->SetPageSite(nullptr));
    EXPECT_EQ(1, site.refs);
    EXPECT_EQ(S_OK, page->SetPageSite(&other));
    page.Reset();  // the page lets go of its site when it goes
    EXPECT_EQ(1, other.refs);
}

TEST(PropertyPage, ObjectsAreHeldAndReleased) {
    auto page = CreatePage<config::CToolsPage>();
    ASSERT_TRUE(page);
    FakeSite a, b;
    IUnknown* objects[] = {&a, &b, nullptr};
    EXPECT_EQ(S_OK, page->SetObjects(3, objects));
    EXPECT_EQ(2, a.refs);
    EXPECT_EQ(2, b.refs);
    IUnknown* one[] = {&b};
    EXPECT_EQ(S_OK, page->SetObjects(1, one));  // the earlier set is released first
    EXPECT_EQ(1, a.refs);
    EXPECT_EQ(2, b.refs);
    // The frame's "let go" call: no objects, no array.
    EXPECT_EQ(S_OK, page->SetObjects(0, nullptr));
    EXPECT_EQ(1, b.refs);
    EXPECT_EQ(S_OK, page->SetObjects(1, one));
    EXPECT_EQ(E_POINTER, page->SetObjects(2, nullptr));
    EXPECT_EQ(1, b.refs) << "a failing call still released what was held";
    EXPECT_EQ(E_OUTOFMEMORY, page->SetObjects(0x40000000, objects));
    EXPECT_EQ(1, a.refs);
}

TEST(PropertyPage, WindowLifecycle) {
    HostWindow host;
    auto page = CreatePage<config::CToolsPage>();
    ASSERT_TRUE(page);
    RECT moved = {5, 6, 305, 106};

    // Nothing to show or move before the page is active.
    EXPECT_EQ(E_UNEXPECTED, page->Show(SW_SHOW));
    EXPECT_EQ(E_UNEXPECTED, page->Move(&moved));
    EXPECT_EQ(E_POINTER, page->Activate(host.Get(), nullptr, FALSE));
    EXPECT_EQ(nullptr, PageWindow(host));

    ASSERT_EQ(S_OK, page->Activate(host.Get(), &kPageRect, FALSE));
    HWND dialog = PageWindow(host);
    ASSERT_NE(nullptr, dialog);
    EXPECT_TRUE(::GetWindowLongW(dialog, GWL_STYLE) & WS_CHILD);
    RECT r = {};
    ::GetWindowRect(dialog, &r);
    ::MapWindowPoints(nullptr, host.Get(), reinterpret_cast<POINT*>(&r), 2);
    EXPECT_EQ(kPageRect.left, r.left);
    EXPECT_EQ(kPageRect.top, r.top);
    EXPECT_EQ(kPageRect.right, r.right);
    EXPECT_EQ(kPageRect.bottom, r.bottom);
    EXPECT_EQ(E_UNEXPECTED, page->Activate(host.Get(), &kPageRect, FALSE)) << "one window per activation";

    EXPECT_EQ(S_OK, page->Show(SW_SHOW));
    EXPECT_TRUE(::IsWindowVisible(dialog) || !::IsWindowVisible(host.Get()));
    EXPECT_TRUE(::GetWindowLongW(dialog, GWL_STYLE) & WS_VISIBLE);
    EXPECT_EQ(S_OK, page->Show(SW_HIDE));
    EXPECT_FALSE(::GetWindowLongW(dialog, GWL_STYLE) & WS_VISIBLE);
    EXPECT_EQ(E_POINTER, page->Move(nullptr));
    EXPECT_EQ(S_OK, page->Move(&moved));
    ::GetWindowRect(dialog, &r);
    EXPECT_EQ(300, r.right - r.left);
    EXPECT_EQ(100, r.bottom - r.top);

    // The frame resets the extended style; the page keeps WS_EX_CONTROLPARENT.
    ::SetWindowLongW(dialog, GWL_EXSTYLE, 0);
    EXPECT_TRUE(::GetWindowLongW(dialog, GWL_EXSTYLE) & WS_EX_CONTROLPARENT);

    EXPECT_EQ(S_FALSE, page->IsPageDirty());
    EXPECT_EQ(S_OK, page->Deactivate());
    EXPECT_FALSE(::IsWindow(dialog));
    EXPECT_EQ(S_OK, page->Deactivate());
    EXPECT_EQ(E_UNEXPECTED, page->Show(SW_SHOW));
    // Active again after a deactivation.
    ASSERT_EQ(S_OK, page->Activate(host.Get(), &kPageRect, FALSE));
    EXPECT_NE(nullptr, PageWindow(host));
    page.Reset();  // never deactivated: the window goes with the object
    EXPECT_EQ(nullptr, PageWindow(host));
}

TEST(PropertyPage, KeyboardAndMouseGoToTheDialog) {
    HostWindow host;
    auto page = CreatePage<config::CToolsPage>();
    ASSERT_TRUE(page);
    EXPECT_EQ(E_POINTER, page->TranslateAccelerator(nullptr));
    MSG tab = {nullptr, WM_KEYDOWN, VK_TAB, 0};
    EXPECT_EQ(S_FALSE, page->TranslateAccelerator(&tab)) << "no dialog yet";
    ASSERT_EQ(S_OK, page->Activate(host.Get(), &kPageRect, FALSE));
    HWND dialog = PageWindow(host);
    HWND edit = ::GetDlgItem(dialog, IDC_TOOLS_CVS);
    const struct {
        UINT message;
        WPARAM wParam;
        HRESULT expected;
    } cases[] = {
        {WM_KEYDOWN, VK_TAB, S_OK},       // the dialog manager moves the focus
        {WM_CHAR, 'x', S_OK},             // keyboard range
        {WM_LBUTTONDOWN, 0, S_OK},        // mouse range
        {WM_PAINT, 0, S_FALSE},           // neither: not offered to the dialog
        {WM_TIMER, 0, S_FALSE},
        {WM_USER, 0, S_FALSE},
    };
    for (const auto& c : cases) {
        MSG m = {edit, c.message, c.wParam, 0};
        EXPECT_EQ(c.expected, page->TranslateAccelerator(&m)) << std::hex << c.message;
    }
    // A message for a window outside the page is not the page's.
    MSG outside = {host.Get(), WM_KEYDOWN, VK_TAB, 0};
    EXPECT_EQ(S_FALSE, page->TranslateAccelerator(&outside));
    page->Deactivate();
}

TEST(PropertyPage, PageInfoInBothLanguages) {
    struct Case {
        const char* page;
        LANGID language;
        const wchar_t* title;
        const wchar_t* doc;
        const wchar_t* help;
    };
    const Case cases[] = {
        {"options", 1033, L"Options", L"Ferrow Options Property Page", L"Ferrow.chm"},
        {"options", 1031, L"Einstellungen", L"Ferrow Options Property Page", L"Ferrow.chm"},
        {"tools", 1033, L"Tools", L"Configures Tools", L"(null)"},
        {"tools", 1031, L"Programme", L"Konfiguriert Programme", L"(null)"},
        {"about", 1033, L"About", L"About Ferrow", L"(null)"},
        {"about", 1031, L"Info", L"\u00dcber Ferrow", L"(null)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.page << " " << c.language);
        testing_support::ScopedThreadLanguage language(c.language);
        std::string name = c.page;
        auto page = name == "options" ? CreatePage<config::COptionsPage>()
                    : name == "tools" ? CreatePage<config::CToolsPage>()
                                      : CreatePage<config::CAboutPage>();
        ASSERT_TRUE(page);
        EXPECT_EQ(E_POINTER, page->GetPageInfo(nullptr));
        PROPPAGEINFO info = {sizeof(info)};
        ASSERT_EQ(S_OK, page->GetPageInfo(&info));
        EXPECT_EQ(c.title, Take(info.pszTitle));
        EXPECT_EQ(c.doc, Take(info.pszDocString));
        EXPECT_EQ(c.help, Take(info.pszHelpFile));
        EXPECT_EQ(0u, info.dwHelpContext);

        // The size is the template's, converted in its own font exactly as the dialog manager does.
        HostWindow host;
        ASSERT_EQ(S_OK, page->Activate(host.Get(), &kPageRect, FALSE));
        const UINT id = name == "options" ? IDD_OPTIONS : name == "tools" ? IDD_TOOLS : IDD_ABOUT;
        const int cx = id == IDD_OPTIONS ? 271 : 272, cy = id == IDD_ABOUT ? 86 : id == IDD_OPTIONS ? 188 : 104;
        RECT units = {0, 0, cx, cy};
        ::MapDialogRect(PageWindow(host), &units);
        EXPECT_EQ(units.right, info.size.cx);
        EXPECT_EQ(units.bottom, info.size.cy);
        EXPECT_GT(info.size.cx, 300);
        page->Deactivate();
    }
}

TEST(PropertyPage, HelpWithoutAHelpFileDoesNothing) {
    auto page = CreatePage<config::CToolsPage>();
    ASSERT_TRUE(page);
    EXPECT_EQ(S_OK, page->Help(L"C:\\help"));
    EXPECT_EQ(S_OK, page->Help(nullptr));
}

TEST(PropertyPage, HelpPath) {
    EXPECT_EQ("C:\\Program Files\\Ferrow\\Ferrow.chm", config::MakeHelpPath(L"C:\\Program Files\\Ferrow", L"Ferrow.chm"));
    EXPECT_EQ("Ferrow.chm", config::MakeHelpPath(nullptr, L"Ferrow.chm"));
    EXPECT_EQ("Ferrow.chm", config::MakeHelpPath(L"", L"Ferrow.chm"));
}

// The three classes are served by the module: created through their class factories and answering
// IPropertyPage.
TEST(PropertyPage, ClassesAreInTheObjectMap) {
    for (const CLSID* clsid : {&CLSID_COptionsPage, &CLSID_CToolsPage, &CLSID_CAboutPage}) {
        ferrow::ComPtr<IClassFactory> factory;
        ASSERT_EQ(S_OK, ferrow::Module().GetClassObject(*clsid, IID_IClassFactory, factory.PutVoid()));
        ferrow::ComPtr<IPropertyPage> page;
        EXPECT_EQ(S_OK, factory->CreateInstance(nullptr, IID_IPropertyPage, page.PutVoid()));
        EXPECT_TRUE(page);
        // Aggregation works for every class of the module.
        ferrow::ComPtr<IUnknown> inner;
        FakeSite outer;
        EXPECT_EQ(S_OK, factory->CreateInstance(&outer, IID_IUnknown, inner.PutVoid()));
    }
}
