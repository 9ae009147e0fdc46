// The Options, Tools and About pages: what they load, what Apply writes, and the version reader.
// Wine's property frame never calls Apply, so the pages are activated in a window of our own and
// Apply is called directly.
#include "page_support.h"

#include "com/overlay_identifiers.h"
#include "common/handles.h"
#include "common/module_instance.h"
#include "config/file_version.h"
#include "settings/settings_store.h"
#include "support/fixtures.h"
#include "support/settings_guard.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <cstring>
#include <string>
#include <thread>
#include <vector>

using config::CFileVersion;
using pagetest::CreatePage;
using pagetest::HostWindow;
using pagetest::ItemText;
using pagetest::kPageRect;
using pagetest::PageWindow;
using testing_support::GetRawValue;
using testing_support::SetRawValue;
using testing_support::SettingsGuard;

namespace {

const char kOptions[] = "Software\\Pembrake\\Ferrow\\Options";
const char kTools[] = "Software\\Pembrake\\Ferrow\\Tools";
const std::string kHelperKey = std::string(settings::kBrowserHelperObjectsKey) + "\\{" FERROW_GUID_TEXT_BROWSER_HELPER "}";

bool HelperKeyExists() {
    HKEY key = nullptr;
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, kHelperKey.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    ::RegCloseKey(key);
    return true;
}
void DeleteHelperKey() { ::RegDeleteTreeA(HKEY_LOCAL_MACHINE, kHelperKey.c_str()); }

void SetString(const char* key, const char* name, const std::string& value) {
    ASSERT_TRUE(SetRawValue(key, name, REG_SZ, value.c_str(), static_cast<DWORD>(value.size() + 1)));
}
void SetDword(const char* key, const char* name, DWORD value) {
    ASSERT_TRUE(SetRawValue(key, name, REG_DWORD, &value, sizeof value));
}
std::string GetString(const char* key, const char* name) {
    DWORD type = 0;
    std::string data;
    if (!GetRawValue(key, name, type, data) || type != REG_SZ) return "(none)";
    if (!data.empty() && data.back() == '\0') data.pop_back();
    return data;
}
DWORD GetDword(const char* key, const char* name) {
    DWORD type = 0;
    std::string data;
    if (!GetRawValue(key, name, type, data) || type != REG_DWORD || data.size() != 4) return 0xDEADBEEF;
    DWORD value;
    std::memcpy(&value, data.data(), 4);
    return value;
}

bool Checked(HWND dialog, int id) { return ::IsDlgButtonChecked(dialog, id) == BST_CHECKED; }

}  // namespace

TEST(OptionsPage, LoadsTheStoredSettings) {
    const struct {
        const char* what;
        const char* rule;  // null: not written
        DWORD ruleType;
        bool writeAutoShow;
        DWORD autoShow;
        bool cvsnt;
        bool checked;
    } cases[] = {
        {"no key at all", nullptr, REG_SZ, false, 0, false, false},
        {"CVSNT and the option on", "CVSNT", REG_SZ, true, 1, true, true},
        {"cvsnt in lower case is the CVS rule", "cvsnt", REG_SZ, false, 0, false, false},
        {"CVS", "CVS", REG_SZ, true, 0, false, false},
        {"any other non-zero number ticks the box", "CVS", REG_SZ, true, 7, false, true},
        {"rule of the wrong type", "CVSNT", REG_EXPAND_SZ, false, 0, true, false},
        {"rule with a trailing blank", "CVSNT ", REG_SZ, false, 0, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        SettingsGuard guard;
        if (c.rule) {
            ASSERT_TRUE(SetRawValue(kOptions, settings::kTimestampCompatibility, c.ruleType, c.rule,
                                    static_cast<DWORD>(std::strlen(c.rule) + 1)));
        }
        if (c.writeAutoShow) SetDword(kOptions, settings::kAutoShowOutput, c.autoShow);
        HostWindow host;
        auto page = CreatePage<config::COptionsPage>();
        ASSERT_EQ(S_OK, page->Activate(host.Get(), &kPageRect, FALSE));
        HWND dialog = PageWindow(host);
        EXPECT_EQ(!c.cvsnt, Checked(dialog, IDC_OPTIONS_CVS));
        EXPECT_EQ(c.cvsnt, Checked(dialog, IDC_OPTIONS_CVSNT));
        EXPECT_EQ(c.checked, Checked(dialog, IDC_OPTIONS_AUTOSHOW));
        page->Deactivate();
    }
}

TEST(OptionsPage, ApplyWritesBothValuesAndTheBrowserHelperKey) {
    const struct {
        bool cvsnt;
        bool autoShow;
        const char* rule;
        DWORD number;
    } cases[] = {
        {false, false, "CVS", 0},
        {true, false, "CVSNT", 0},
        {false, true, "CVS", 1},
        {true, true, "CVSNT", 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.rule << " " << c.number);
        SettingsGuard guard;
        DeleteHelperKey();
        HostWindow host;
        auto page = CreatePage<config::COptionsPage>();
        ASSERT_EQ(S_OK, page->Activate(host.Get(), &kPageRect, FALSE));
        HWND dialog = PageWindow(host);
        ::CheckRadioButton(dialog, IDC_OPTIONS_CVS, IDC_OPTIONS_CVSNT, c.cvsnt ? IDC_OPTIONS_CVSNT : IDC_OPTIONS_CVS);
        ::CheckDlgButton(dialog, IDC_OPTIONS_AUTOSHOW, c.autoShow ? BST_CHECKED : BST_UNCHECKED);
        EXPECT_EQ(S_OK, page->Apply());
        EXPECT_EQ(S_FALSE, page->IsPageDirty());
        EXPECT_EQ(c.rule, GetString(kOptions, settings::kTimestampCompatibility));
        EXPECT_EQ(c.number, GetDword(kOptions, settings::kAutoShowOutput));
        EXPECT_EQ(c.autoShow, HelperKeyExists());
        page->Deactivate();
    }
    // With the box clear, an existing browser-helper key stays.
    {
        SettingsGuard guard;
        HKEY key = nullptr;
        ASSERT_EQ(ERROR_SUCCESS, ::RegCreateKeyExA(HKEY_LOCAL_MACHINE, kHelperKey.c_str(), 0, nullptr, 0, KEY_WRITE,
                                                   nullptr, &key, nullptr));
        ::RegCloseKey(key);
        HostWindow host;
        auto page = CreatePage<config::COptionsPage>();
        ASSERT_EQ(S_OK, page->Activate(host.Get(), &kPageRect, FALSE));
        ::CheckDlgButton(PageWindow(host), IDC_OPTIONS_AUTOSHOW, BST_UNCHECKED);
        EXPECT_EQ(S_OK, page->Apply());
        EXPECT_EQ(0u, GetDword(kOptions, settings::kAutoShowOutput));
        EXPECT_TRUE(HelperKeyExists());
        page->Deactivate();
    }
    DeleteHelperKey();
}

TEST(OptionsPage, OutputSettingsLoadAndApply) {
    // The list's entries: auto, window, bar. A stored value that is none of them exactly shows auto.
    const struct {
        const char* stored;  // "OutputMode"; null: not written
        DWORD close;         // "CloseOutputOnSuccess"; 0xFF: not written
        LRESULT shown;
        bool checked;
        LRESULT chosen;  // picked before Apply
        const char* written;
    } cases[] = {
        {nullptr, 0xFF, 0, false, 1, "window"},
        {"bar", 1, 2, true, 0, "auto"},
        {"window", 0, 1, false, 2, "bar"},
        {"Window", 2, 0, false, 1, "window"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored ? c.stored : "(none)");
        SettingsGuard guard;
        if (c.stored) settings::WriteString(kOptions, settings::kOutputMode, c.stored);
        if (c.close != 0xFF) SetDword(kOptions, settings::kCloseOutputOnSuccess, c.close);
        HostWindow host;
        auto page = CreatePage<config::COptionsPage>();
        ASSERT_EQ(S_OK, page->Activate(host.Get(), &kPageRect, FALSE));
        HWND dialog = PageWindow(host);
        EXPECT_EQ(3, ::SendDlgItemMessageA(dialog, IDC_OPTIONS_OUTPUT, CB_GETCOUNT, 0, 0));
        EXPECT_EQ(c.shown, ::SendDlgItemMessageA(dialog, IDC_OPTIONS_OUTPUT, CB_GETCURSEL, 0, 0));
        EXPECT_EQ(c.checked, Checked(dialog, IDC_OPTIONS_CLOSE_OUTPUT));
        ::SendDlgItemMessageA(dialog, IDC_OPTIONS_OUTPUT, CB_SETCURSEL, c.chosen, 0);
        ::CheckDlgButton(dialog, IDC_OPTIONS_CLOSE_OUTPUT, c.checked ? BST_UNCHECKED : BST_CHECKED);
        EXPECT_EQ(S_OK, page->Apply());
        EXPECT_EQ(c.written, GetString(kOptions, settings::kOutputMode));
        EXPECT_EQ(c.checked ? 0u : 1u, GetDword(kOptions, settings::kCloseOutputOnSuccess));
        page->Deactivate();
    }
}

// A page whose tab was never shown has no dialog: Apply leaves the stored settings as they are.
// A machine's overlay identifiers: the module's two and twenty of other programs with leading spaces of
// several widths, `wider` of them with more than the module's six, in every registry view the system has.
class OverlayRegistry {
public:
    explicit OverlayRegistry(int wider) {
        names_ = {ferrow::kOverlayKeyControlled, ferrow::kOverlayKeyModified};
        for (int i = 0; i < 20; ++i)
            names_.push_back(std::wstring(i < wider ? 7 + i % 3 : i % 6, L' ') + L"Other" + std::to_wstring(i));
        views_ = {0};
        REGSAM other = 0;
        if (ferrow::OtherRegistryView(other)) views_.push_back(other);
        for (REGSAM view : views_) {
            for (const std::wstring& name : names_) {
                ferrow::UniqueKey key;
                ::RegCreateKeyExW(HKEY_LOCAL_MACHINE, Path(name).c_str(), 0, nullptr, 0, KEY_WRITE | view, nullptr,
                                  key.Put(), nullptr);
            }
        }
    }
    ~OverlayRegistry() {
        for (REGSAM view : views_)
            for (const std::wstring& name : names_) ::RegDeleteKeyExW(HKEY_LOCAL_MACHINE, Path(name).c_str(), view, 0);
    }
    OverlayRegistry(const OverlayRegistry&) = delete;
    OverlayRegistry& operator=(const OverlayRegistry&) = delete;

private:
    static std::wstring Path(const std::wstring& name) { return std::wstring(ferrow::kOverlayIdentifiersKey) + L"\\" + name; }
    std::vector<std::wstring> names_;
    std::vector<REGSAM> views_;
};

TEST(OptionsPage, TellsWhetherTheOverlayIdentifiersAreLoaded) {
    const struct {
        int wider;
        LANGID language;
        const char* text;  // in the page's text once per registry view
    } cases[] = {
        {3, 1033, "Overlay marks: loaded, places 4 and 5 of 22 identifiers (Windows loads the first 11)."},
        {12, 1033, "Overlay marks: NOT loaded. 12 identifiers of other programs come first and Windows loads only the "
                   "first 11: disable the overlays of programs you do not need (Help: \"No overlays\")."},
        {3, 1031, "Overlay-Symbole: geladen, Stelle 4 und 5 von 22 Kennungen (Windows l\xe4" "dt die ersten 11)."},
        {12, 1031, "Overlay-Symbole: NICHT geladen. 12 Kennungen anderer Programme kommen zuerst"},
    };
    REGSAM other = 0;
    const bool twoViews = ferrow::OtherRegistryView(other);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        testing_support::ScopedThreadLanguage scoped(c.language);
        OverlayRegistry registry(c.wider);
        HostWindow host;
        auto page = CreatePage<config::COptionsPage>();
        ASSERT_EQ(S_OK, page->Activate(host.Get(), &kPageRect, FALSE));
        const std::string text = ItemText(PageWindow(host), IDC_OPTIONS_OVERLAYS);
        const size_t first = text.find(c.text);
        EXPECT_NE(std::string::npos, first) << text;
        EXPECT_EQ(twoViews, first != std::string::npos && text.find(c.text, first + 1) != std::string::npos) << text;
        EXPECT_EQ(twoViews, text.find(c.language == 1033 ? "32-bit programs: " : "32-Bit-Programme: ") != std::string::npos);
        page->Deactivate();
    }
    // Neither registered: the page says so.
    HostWindow host;
    auto page = CreatePage<config::COptionsPage>();
    ASSERT_EQ(S_OK, page->Activate(host.Get(), &kPageRect, FALSE));
    EXPECT_NE(std::string::npos, ItemText(PageWindow(host), IDC_OPTIONS_OVERLAYS).find("Overlay marks: not registered."));
    page->Deactivate();
}

TEST(SettingsPages, ApplyWithoutADialogWritesNothing) {
    SettingsGuard guard;
    SetString(kOptions, settings::kTimestampCompatibility, "cvsnt");
    SetString(kTools, settings::kToolDiff, "mydiff");
    auto options = CreatePage<config::COptionsPage>();
    auto tools = CreatePage<config::CToolsPage>();
    auto about = CreatePage<config::CAboutPage>();
    for (auto* page : {options.Get(), tools.Get(), about.Get()}) EXPECT_EQ(S_OK, page->Apply());
    EXPECT_EQ("cvsnt", GetString(kOptions, settings::kTimestampCompatibility));
    EXPECT_EQ(0xDEADBEEF, GetDword(kOptions, settings::kAutoShowOutput));
    EXPECT_EQ("mydiff", GetString(kTools, settings::kToolDiff));
    EXPECT_EQ("(none)", GetString(kTools, settings::kToolCvs));

    // The same after the dialog came and went.
    HostWindow host;
    ASSERT_EQ(S_OK, tools->Activate(host.Get(), &kPageRect, FALSE));
    tools->Deactivate();
    EXPECT_EQ(S_OK, tools->Apply());
    EXPECT_EQ("(none)", GetString(kTools, settings::kToolCvs));
}

TEST(ToolsPage, LoadsStoredCommandsOrDefaults) {
    SettingsGuard guard;
    {
        HostWindow host;
        auto page = CreatePage<config::CToolsPage>();
        ASSERT_EQ(S_OK, page->Activate(host.Get(), &kPageRect, FALSE));
        HWND dialog = PageWindow(host);
        EXPECT_EQ("cvs", ItemText(dialog, IDC_TOOLS_CVS));
        EXPECT_EQ("windiff $(OldFile) $(NewFile)", ItemText(dialog, IDC_TOOLS_DIFF));
        EXPECT_EQ("notepad $(File)", ItemText(dialog, IDC_TOOLS_VIEW));
        page->Deactivate();
    }
    SetString(kTools, settings::kToolCvs, "C:\\cvs\\cvs.exe -z3");
    SetString(kTools, settings::kToolView, "");
    HostWindow host;
    auto page = CreatePage<config::CToolsPage>();
    ASSERT_EQ(S_OK, page->Activate(host.Get(), &kPageRect, FALSE));
    HWND dialog = PageWindow(host);
    EXPECT_EQ("C:\\cvs\\cvs.exe -z3", ItemText(dialog, IDC_TOOLS_CVS));
    EXPECT_EQ("windiff $(OldFile) $(NewFile)", ItemText(dialog, IDC_TOOLS_DIFF));
    EXPECT_EQ("", ItemText(dialog, IDC_TOOLS_VIEW)) << "an empty stored command is shown as stored";
    page->Deactivate();
}

TEST(ToolsPage, ApplyWritesNonEmptyFieldsCutTo259Characters) {
    const std::string longText(300, 'x');
    const struct {
        const char* what;
        const char* cvs;
        std::string diff;
        const char* view;
        const char* storedCvs;
        std::string storedDiff;
        const char* storedView;
    } cases[] = {
        {"all three written", "cvs2", "kdiff3 $(OldFile) $(NewFile)", "less $(File)", "cvs2",
         "kdiff3 $(OldFile) $(NewFile)", "less $(File)"},
        {"a cleared field keeps the stored value", "cvs2", "", "", "cvs2", "olddiff", "oldview"},
        {"300 characters: the first 259 are stored", "cvs", longText, "v", "cvs", std::string(259, 'x'), "v"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        SettingsGuard guard;
        SetString(kTools, settings::kToolDiff, "olddiff");
        SetString(kTools, settings::kToolView, "oldview");
        HostWindow host;
        auto page = CreatePage<config::CToolsPage>();
        ASSERT_EQ(S_OK, page->Activate(host.Get(), &kPageRect, FALSE));
        HWND dialog = PageWindow(host);
        ::SetDlgItemTextA(dialog, IDC_TOOLS_CVS, c.cvs);
        ::SetDlgItemTextA(dialog, IDC_TOOLS_DIFF, c.diff.c_str());
        ::SetDlgItemTextA(dialog, IDC_TOOLS_VIEW, c.view);
        EXPECT_EQ(S_OK, page->Apply());
        EXPECT_EQ(c.storedCvs, GetString(kTools, settings::kToolCvs));
        EXPECT_EQ(c.storedDiff, GetString(kTools, settings::kToolDiff));
        EXPECT_EQ(c.storedView, GetString(kTools, settings::kToolView));
        // Applying twice changes nothing more.
        EXPECT_EQ(S_OK, page->Apply());
        EXPECT_EQ(c.storedDiff, GetString(kTools, settings::kToolDiff));
        page->Deactivate();
    }
}

TEST(AboutPage, ShowsTheModulesVersionAndNotice) {
    for (LANGID language : {LANGID(1033), LANGID(1031)}) {
        testing_support::ScopedThreadLanguage scoped(language);
        HostWindow host;
        auto page = CreatePage<config::CAboutPage>();
        ASSERT_EQ(S_OK, page->Activate(host.Get(), &kPageRect, FALSE));
        HWND dialog = PageWindow(host);
        EXPECT_EQ("1, 7, 4, 0", ItemText(dialog, IDC_ABOUT_VERSION));
        EXPECT_EQ("Copyright (C) Pembrake", ItemText(dialog, IDC_ABOUT_COPYRIGHT));
        EXPECT_EQ(config::kProductAddress, ItemText(dialog, IDC_ABOUT_ADDRESS));
        EXPECT_EQ(S_OK, page->Apply());
        page->Deactivate();
    }
}

namespace {

// A copy of the built DLL whose version resource is replaced, or which carries no version resource at
// all, loaded as a module.
class DllCopy {
public:
    // version: the new RT_VERSION bytes; empty for a module whose only resources are the About page's
    // dialog templates (Wine cannot delete a single resource, but it can start from none).
    explicit DllCopy(const std::vector<BYTE>& version) : dir_("ferrowver") {
        path_ = dir_ / "Copy.dll";
        EXPECT_TRUE(::CopyFileA(FERROW_DLL, path_.c_str(), FALSE));
        HANDLE update = ::BeginUpdateResourceA(path_.c_str(), version.empty());
        EXPECT_NE(nullptr, update);
        const WORD english = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
        if (version.empty()) {
            HMODULE self = ::GetModuleHandleA(nullptr);
            for (WORD language : {english, WORD(MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN))}) {
                HRSRC info = ::FindResourceExA(self, RT_DIALOG, MAKEINTRESOURCEA(IDD_ABOUT), language);
                EXPECT_NE(nullptr, info);
                EXPECT_TRUE(::UpdateResourceA(update, RT_DIALOG, MAKEINTRESOURCEA(IDD_ABOUT), language,
                                              ::LockResource(::LoadResource(self, info)), ::SizeofResource(self, info)));
            }
        } else {
            EXPECT_TRUE(::UpdateResourceA(update, MAKEINTRESOURCEA(16), MAKEINTRESOURCEA(1), english,
                                          const_cast<BYTE*>(version.data()), static_cast<DWORD>(version.size())));
        }
        EXPECT_TRUE(::EndUpdateResourceA(update, FALSE));
        module_ = ::LoadLibraryA(path_.c_str());
        EXPECT_NE(nullptr, module_);
    }
    ~DllCopy() {
        if (module_) ::FreeLibrary(module_);
    }
    HMODULE Module() const { return module_; }
    const std::string& Path() const { return path_; }

private:
    testing_support::TempDir dir_;
    std::string path_;
    HMODULE module_ = nullptr;
};

// One node of a version resource: header, key, value and children, each DWORD-aligned.
std::vector<BYTE> VersionNode(const std::u16string& key, const std::vector<BYTE>& value, WORD valueLength, WORD type,
                              const std::vector<std::vector<BYTE>>& children) {
    std::vector<BYTE> b(6, 0);
    auto pad = [&] {
        while (b.size() % 4) b.push_back(0);
    };
    for (char16_t c : key + u'\0') {
        b.push_back(static_cast<BYTE>(c & 0xFF));
        b.push_back(static_cast<BYTE>(c >> 8));
    }
    pad();
    b.insert(b.end(), value.begin(), value.end());
    for (const auto& child : children) {
        pad();
        b.insert(b.end(), child.begin(), child.end());
    }
    const WORD header[3] = {static_cast<WORD>(b.size()), valueLength, type};
    std::memcpy(b.data(), header, sizeof header);
    return b;
}

std::vector<BYTE> TextNode(const std::u16string& key, const std::u16string& text) {
    std::vector<BYTE> value;
    for (char16_t c : text + u'\0') {
        value.push_back(static_cast<BYTE>(c & 0xFF));
        value.push_back(static_cast<BYTE>(c >> 8));
    }
    return VersionNode(key, value, static_cast<WORD>(text.size() + 1), 1, {});
}

// A version resource with a string table "040904e4" and no translation table.
std::vector<BYTE> VersionWithoutTranslation() {
    VS_FIXEDFILEINFO fixed = {};
    fixed.dwSignature = 0xFEEF04BD;
    fixed.dwStrucVersion = 0x00010000;
    fixed.dwFileVersionMS = 0x00090008;
    fixed.dwFileVersionLS = 0x00070006;
    std::vector<BYTE> fixedBytes(sizeof fixed);
    std::memcpy(fixedBytes.data(), &fixed, sizeof fixed);
    auto table = VersionNode(u"040904e4", {}, 0, 1,
                             {TextNode(u"FileVersion", u"9, 8, 7, 6"), TextNode(u"LegalCopyright", u"No table here")});
    auto strings = VersionNode(u"StringFileInfo", {}, 0, 1, {table});
    return VersionNode(u"VS_VERSION_INFO", fixedBytes, sizeof fixed, 0, {strings});
}

}  // namespace

TEST(AboutPage, KeepsPlaceholdersWithoutAVersionResource) {
    DllCopy copy({});
    ASSERT_NE(nullptr, copy.Module());
    ferrow::SetModuleInstance(copy.Module());
    {
        HostWindow host;
        auto page = CreatePage<config::CAboutPage>();
        ASSERT_EQ(S_OK, page->Activate(host.Get(), &kPageRect, FALSE));
        HWND dialog = PageWindow(host);
        EXPECT_EQ("1.x.y", ItemText(dialog, IDC_ABOUT_VERSION));
        EXPECT_EQ("Copyright (C)", ItemText(dialog, IDC_ABOUT_COPYRIGHT));
        EXPECT_EQ(config::kProductAddress, ItemText(dialog, IDC_ABOUT_ADDRESS));
        page->Deactivate();
    }
    ferrow::SetModuleInstance(nullptr);
}

TEST(FileVersion, ReadsTheModulesOwnResource) {
    CFileVersion version;
    std::string text;
    EXPECT_EQ(E_UNEXPECTED, version.GetString("FileVersion", text)) << "nothing read yet";
    ASSERT_EQ(S_OK, version.Open(ferrow::ModuleInstance()));
    EXPECT_EQ(0x0409, version.Language());
    EXPECT_EQ(1200, version.CodePage());
    EXPECT_EQ(0x00010007u, version.FixedInfo().dwFileVersionMS);
    EXPECT_EQ(0x00040000u, version.FixedInfo().dwFileVersionLS);
    const struct {
        const char* name;
        HRESULT hr;
        const char* value;
    } cases[] = {
        {"FileVersion", S_OK, "1, 7, 4, 0"},
        {"LegalCopyright", S_OK, "Copyright (C) Pembrake"},
        {"ProductName", S_OK, "Pembrake Ferrow"},
        {"OriginalFilename", S_OK, "Ferrow.dll"},
        {"NoSuchValue", E_FAIL, "unchanged"},
    };
    for (const auto& c : cases) {
        std::string value = "unchanged";
        EXPECT_EQ(c.hr, version.GetString(c.name, value)) << c.name;
        EXPECT_EQ(c.value, value) << c.name;
    }
}

TEST(FileVersion, FailuresAndAResourceWithoutTranslationTable) {
    {
        DllCopy copy({});
        CFileVersion version;
        HRESULT hr = version.Read(copy.Path().c_str());
        EXPECT_TRUE(FAILED(hr)) << std::hex << hr;
        std::string text;
        EXPECT_EQ(E_UNEXPECTED, version.GetString("FileVersion", text));
    }
    {
        CFileVersion version;
        EXPECT_TRUE(FAILED(version.Read("Z:\\no\\such\\file.dll")));
        // A failed read after a good one leaves nothing of the earlier file.
        ASSERT_EQ(S_OK, version.Open(ferrow::ModuleInstance()));
        EXPECT_TRUE(FAILED(version.Read("Z:\\no\\such\\file.dll")));
        std::string text;
        EXPECT_EQ(E_UNEXPECTED, version.GetString("FileVersion", text));
    }
    {
        DllCopy copy(VersionWithoutTranslation());
        CFileVersion version;
        ASSERT_EQ(S_OK, version.Read(copy.Path().c_str()));
        EXPECT_EQ(1252, version.CodePage());
        EXPECT_EQ(0x0409, version.Language());
        std::string text;
        EXPECT_EQ(S_OK, version.GetString("FileVersion", text));
        EXPECT_EQ("9, 8, 7, 6", text);
        EXPECT_EQ(S_OK, version.GetString("LegalCopyright", text));
        EXPECT_EQ("No table here", text);
    }
}

namespace {

// Serves the three page classes to CoCreateInstance in this process, as the registered DLL would.
class RegisteredPages {
public:
    RegisteredPages() {
        for (const CLSID* clsid : kClasses) {
            ferrow::ComPtr<IUnknown> factory;
            ferrow::Module().GetClassObject(*clsid, IID_IUnknown, factory.PutVoid());
            DWORD cookie = 0;
            if (factory &&
                SUCCEEDED(::CoRegisterClassObject(*clsid, factory.Get(), CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &cookie)))
                cookies_.push_back(cookie);
        }
    }
    ~RegisteredPages() {
        for (DWORD cookie : cookies_) ::CoRevokeClassObject(cookie);
    }
    size_t Count() const { return cookies_.size(); }

    static constexpr const CLSID* kClasses[] = {&CLSID_COptionsPage, &CLSID_CToolsPage, &CLSID_CAboutPage};

private:
    std::vector<DWORD> cookies_;
};

struct FrameSeen {
    bool found = false;
    int tabs = 0;
    std::wstring caption;
    std::wstring tabTexts;
};

struct FrameSearch {
    DWORD thread;
    HWND frame;
};

BOOL CALLBACK FindVisibleWindow(HWND hwnd, LPARAM param) {
    if (!::IsWindowVisible(hwnd)) return TRUE;
    reinterpret_cast<FrameSearch*>(param)->frame = hwnd;
    return FALSE;
}

BOOL CALLBACK FindTab(HWND hwnd, LPARAM param) {
    wchar_t cls[64] = {};
    ::GetClassNameW(hwnd, cls, 64);
    if (lstrcmpiW(cls, L"SysTabControl32") != 0) return TRUE;
    *reinterpret_cast<HWND*>(param) = hwnd;
    return FALSE;
}

}  // namespace

// The system's property frame opens with the three pages, titled from their page information.
TEST(SettingsPages, PropertyFrameShowsTheThreePages) {
    RegisteredPages registered;
    ASSERT_EQ(3u, registered.Count());
    const DWORD thread = ::GetCurrentThreadId();
    FrameSeen seen;
    // Watches the frame from another thread, then closes it.
    std::thread watcher([&] {
        for (int i = 0; i < 200 && !seen.found; ++i) {
            ::Sleep(50);
            FrameSearch search = {thread, nullptr};
            ::EnumThreadWindows(thread, FindVisibleWindow, reinterpret_cast<LPARAM>(&search));
            if (!search.frame) continue;
            HWND tab = nullptr;
            ::EnumChildWindows(search.frame, FindTab, reinterpret_cast<LPARAM>(&tab));
            if (!tab) continue;
            seen.found = true;
            wchar_t caption[256] = {};
            ::GetWindowTextW(search.frame, caption, 256);
            seen.caption = caption;
            seen.tabs = static_cast<int>(::SendMessageW(tab, TCM_GETITEMCOUNT, 0, 0));
            ::PostMessageW(search.frame, WM_COMMAND, IDCANCEL, 0);
            ::PostMessageW(search.frame, WM_CLOSE, 0, 0);
        }
    });
    CLSID pages[] = {CLSID_COptionsPage, CLSID_CToolsPage, CLSID_CAboutPage};
    pagetest::FakeSite object;
    IUnknown* objects[] = {&object};
    HRESULT hr = ::OleCreatePropertyFrame(nullptr, 0, 0, L"Ferrow", 1, objects, 3, pages, LOCALE_USER_DEFAULT, 0, nullptr);
    watcher.join();
    EXPECT_EQ(S_OK, hr);
    EXPECT_TRUE(seen.found);
    EXPECT_EQ(3, seen.tabs);
    EXPECT_NE(std::wstring::npos, seen.caption.find(L"Ferrow")) << std::string(seen.caption.begin(), seen.caption.end());
    EXPECT_EQ(1, object.refs) << "the pages let go of the frame's object";
}
