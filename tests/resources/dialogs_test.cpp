// The dialog templates as the resource compiler produced them: both languages, the header of each
// template, the two languages kept in step, the control styles the dialog code depends on, and every
// template actually creating its window.
#include "common/handles.h"
#include "resource_reader.h"
#include "resources/resource.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <cwctype>

using restest::DialogItem;
using restest::DialogTemplate;
using restest::kEnglish;
using restest::kGerman;

namespace {

enum class Kind { SettingsPage, PropertiesPage, Modal, Window };

struct DialogCase {
    UINT id;
    Kind kind;
    short cx, cy;
    const wchar_t* en;  // caption
    const wchar_t* de;
};

const DialogCase kDialogs[] = {
    {IDD_ABOUT, Kind::SettingsPage, 272, 86, L"", L""},
    {IDD_TOOLS, Kind::SettingsPage, 272, 104, L"", L""},
    {IDD_OPTIONS, Kind::SettingsPage, 271, 188, L"", L""},
    {IDD_CUSTOM_COMMAND, Kind::Modal, 238, 126, L"CVS custom command", L"CVS Kommando"},
    {IDD_CVS_PAGE, Kind::PropertiesPage, 226, 246, L"CVS", L"CVS"},
    {IDD_HISTORY_PAGE, Kind::PropertiesPage, 226, 246, L"History", L"Geschichte"},
    {IDD_TAG, Kind::Modal, 238, 121, L"CVS Tag", L"CVS Tag"},
    {IDD_COMMIT, Kind::Modal, 238, 145, L"CVS Commit", L"CVS Commit"},
    {IDD_OUTPUT, Kind::Window, 360, 220, L"CVS Output", L"CVS Ausgabe"},
};

const WORD kLanguages[] = {kEnglish, kGerman};

DialogTemplate Load(UINT id, WORD language) {
    DialogTemplate t;
    auto bytes = restest::ResourceBytes(::GetModuleHandleW(nullptr), RT_DIALOG, id, language);
    EXPECT_FALSE(bytes.empty()) << "dialog " << id << " language " << language;
    EXPECT_TRUE(restest::ParseDialog(bytes, t)) << "dialog " << id << " language " << language;
    return t;
}

std::wstring Lower(std::wstring s) {
    for (auto& c : s) c = static_cast<wchar_t>(std::towlower(c));
    return s;
}

std::wstring WindowText(HWND hwnd) {
    wchar_t buffer[512] = {};
    ::GetWindowTextW(hwnd, buffer, 512);
    return buffer;
}

}  // namespace

TEST(Dialogs, HeadersInBothLanguages) {
    for (const auto& d : kDialogs) {
        for (WORD language : kLanguages) {
            SCOPED_TRACE(testing::Message() << "dialog " << d.id << " language " << language);
            DialogTemplate t = Load(d.id, language);
            EXPECT_TRUE(t.extended);
            EXPECT_EQ(d.cx, t.cx);
            EXPECT_EQ(d.cy, t.cy);
            EXPECT_EQ(8, t.pointSize);
            EXPECT_EQ(language == kEnglish ? d.en : d.de, t.caption);
            if (d.kind == Kind::SettingsPage) {
                // The frame hosts these pages: plain child windows in the classic font.
                EXPECT_EQ(L"MS Sans Serif", t.font);
                EXPECT_TRUE(t.style & WS_CHILD);
                EXPECT_FALSE(t.style & (WS_CAPTION | WS_POPUP | WS_VISIBLE));
                EXPECT_EQ(0u, t.style & DS_FIXEDSYS);
            } else {
                EXPECT_EQ(L"MS Shell Dlg", t.font);
                EXPECT_EQ(DWORD(DS_SHELLFONT), t.style & DS_SHELLFONT);
                EXPECT_TRUE(t.style & WS_CAPTION);
                if (d.kind == Kind::Modal) {
                    EXPECT_EQ(DWORD(WS_POPUP | DS_MODALFRAME | WS_SYSMENU),
                              t.style & (WS_POPUP | DS_MODALFRAME | WS_SYSMENU));
                } else if (d.kind == Kind::Window) {
                    // Modeless and resizable, with the close box.
                    EXPECT_EQ(DWORD(WS_POPUP | WS_THICKFRAME | WS_SYSMENU), t.style & (WS_POPUP | WS_THICKFRAME | WS_SYSMENU));
                } else {
                    EXPECT_TRUE(t.style & WS_CHILD);
                }
            }
        }
    }
}

// The German templates are translations: the same controls in the same order with the same ids,
// classes, styles and places. Only texts differ, and labels may be sized to their German text.
TEST(Dialogs, GermanMatchesEnglishExceptTexts) {
    for (const auto& d : kDialogs) {
        SCOPED_TRACE(testing::Message() << "dialog " << d.id);
        DialogTemplate en = Load(d.id, kEnglish);
        DialogTemplate de = Load(d.id, kGerman);
        EXPECT_EQ(en.style, de.style);
        EXPECT_EQ(en.exStyle, de.exStyle);
        EXPECT_EQ(en.font, de.font);
        ASSERT_EQ(en.items.size(), de.items.size());
        for (size_t i = 0; i < en.items.size(); ++i) {
            const DialogItem& a = en.items[i];
            const DialogItem& b = de.items[i];
            SCOPED_TRACE(testing::Message() << "control " << i << " id " << a.id);
            EXPECT_EQ(a.id, b.id);
            EXPECT_EQ(a.className, b.className);
            EXPECT_EQ(a.style, b.style);
            EXPECT_EQ(a.exStyle, b.exStyle);
            EXPECT_EQ(a.x, b.x);
            EXPECT_EQ(a.y, b.y);
            EXPECT_EQ(a.cy, b.cy);
            if (a.className != L"Static" || a.id != IDC_STATIC) {
                EXPECT_EQ(a.cx, b.cx);
            }
            EXPECT_EQ(a.textOrdinal, b.textOrdinal);
        }
    }
}

// Styles the dialog code relies on: which combo boxes are editable or sorted, which controls start
// hidden or disabled, which edits are read-only.
TEST(Dialogs, ControlStylesTheCodeReliesOn) {
    struct Case {
        UINT dialog;
        int id;
        const wchar_t* className;
        DWORD required;
        DWORD forbidden;
    };
    const Case cases[] = {
        {IDD_COMMIT, IDC_COMMIT_MESSAGE, L"Edit", ES_MULTILINE | ES_WANTRETURN | ES_AUTOVSCROLL | WS_BORDER, ES_READONLY},
        {IDD_COMMIT, IDC_COMMIT_PREVIOUS, L"ComboBox", CBS_DROPDOWNLIST | WS_VSCROLL, CBS_SORT},
        {IDD_COMMIT, IDC_REVISION, L"Edit", ES_READONLY, ES_MULTILINE},
        {IDD_COMMIT, IDC_TAG, L"Edit", ES_READONLY, ES_MULTILINE},
        {IDD_COMMIT, IDOK, L"Button", BS_DEFPUSHBUTTON, WS_DISABLED},
        {IDD_COMMIT, IDC_COMMIT_COMPARE, L"Button", WS_DISABLED, BS_DEFPUSHBUTTON},
        {IDD_TAG, IDC_TAG_NAME, L"ComboBox", CBS_DROPDOWN | WS_VSCROLL, CBS_SORT | CBS_SIMPLE},
        {IDD_TAG, IDC_TAG_MOVE, L"Button", BS_AUTOCHECKBOX, 0},
        {IDD_TAG, IDC_TAG_CHECK, L"Button", BS_AUTOCHECKBOX, 0},
        {IDD_TAG, IDC_TAG_BRANCH, L"Button", BS_AUTOCHECKBOX, 0},
        {IDD_TAG, IDOK, L"Button", BS_DEFPUSHBUTTON, 0},
        {IDD_CUSTOM_COMMAND, IDC_CUSTOM_COMMAND, L"Edit", ES_MULTILINE | ES_WANTRETURN | WS_BORDER, ES_READONLY},
        {IDD_CUSTOM_COMMAND, IDC_CUSTOM_PREVIOUS, L"ComboBox", CBS_DROPDOWNLIST | WS_VSCROLL, CBS_SORT},
        {IDD_CVS_PAGE, IDC_CVS_ROOT, L"Edit", ES_READONLY, ES_MULTILINE},
        {IDD_CVS_PAGE, IDC_CVS_REPOSITORY, L"Edit", ES_READONLY, ES_MULTILINE},
        {IDD_CVS_PAGE, IDC_CVS_TAG, L"Edit", ES_READONLY, ES_MULTILINE},
        {IDD_CVS_PAGE, IDC_CVS_FILES, L"ComboBox", CBS_DROPDOWNLIST | CBS_SORT, 0},
        {IDD_CVS_PAGE, IDC_CVS_LOG, L"Edit", ES_MULTILINE | ES_READONLY | WS_VSCROLL | WS_HSCROLL, 0},
        {IDD_HISTORY_PAGE, IDC_HISTORY_SHOW_LIST, L"Button", BS_AUTORADIOBUTTON | WS_GROUP, 0},
        {IDD_HISTORY_PAGE, IDC_HISTORY_SHOW_TREE, L"Button", BS_AUTORADIOBUTTON, WS_GROUP},
        {IDD_HISTORY_PAGE, IDC_HISTORY_LIST, L"SysListView32",
         WS_VISIBLE | LVS_REPORT | LVS_SHOWSELALWAYS | LVS_NOSORTHEADER, LVS_SINGLESEL | LVS_SHAREIMAGELISTS},
        {IDD_HISTORY_PAGE, IDC_HISTORY_TREE, L"SysTreeView32",
         TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_SHOWSELALWAYS | TVS_DISABLEDRAGDROP | TVS_INFOTIP,
         WS_VISIBLE},
        {IDD_HISTORY_PAGE, IDC_HISTORY_PATH, L"Static", 0, WS_VISIBLE},
        {IDD_HISTORY_PAGE, IDC_HISTORY_SAVE, L"Button", WS_DISABLED | WS_VISIBLE, 0},
        {IDD_HISTORY_PAGE, IDC_HISTORY_VIEW, L"Button", WS_DISABLED | WS_VISIBLE, 0},
        {IDD_HISTORY_PAGE, IDC_HISTORY_MERGE, L"Button", WS_DISABLED | WS_VISIBLE, 0},
        {IDD_HISTORY_PAGE, IDC_HISTORY_COMPARE, L"Button", WS_DISABLED | WS_VISIBLE, 0},
        {IDD_OPTIONS, IDC_OPTIONS_CVS, L"Button", BS_AUTORADIOBUTTON | WS_GROUP, 0},
        {IDD_OPTIONS, IDC_OPTIONS_CVSNT, L"Button", BS_AUTORADIOBUTTON, WS_GROUP},
        {IDD_OPTIONS, IDC_OPTIONS_AUTOSHOW, L"Button", BS_AUTOCHECKBOX, 0},
        {IDD_OPTIONS, IDC_OPTIONS_OUTPUT, L"ComboBox", CBS_DROPDOWNLIST | WS_TABSTOP, CBS_SORT},
        {IDD_OPTIONS, IDC_OPTIONS_CLOSE_OUTPUT, L"Button", BS_AUTOCHECKBOX | WS_TABSTOP, 0},
        {IDD_OUTPUT, IDC_OUTPUT_TEXT, L"RichEdit20A", ES_MULTILINE | ES_READONLY | WS_VSCROLL, 0},
        {IDD_OUTPUT, IDC_OUTPUT_PROGRESS, L"msctls_progress32", PBS_MARQUEE, 0},
        {IDD_OUTPUT, IDCANCEL, L"Button", 0, BS_DEFPUSHBUTTON},
        {IDD_TOOLS, IDC_TOOLS_CVS, L"Edit", ES_AUTOHSCROLL | WS_BORDER, ES_READONLY | ES_MULTILINE},
        // Typed or chosen: the default, or "ferrow" (the built-in viewer).
        {IDD_TOOLS, IDC_TOOLS_DIFF, L"ComboBox", CBS_DROPDOWN | CBS_AUTOHSCROLL | WS_TABSTOP, CBS_SORT},
        {IDD_TOOLS, IDC_TOOLS_VIEW, L"Edit", ES_AUTOHSCROLL | WS_BORDER, ES_READONLY | ES_MULTILINE},
        {IDD_ABOUT, IDC_ABOUT_VERSION, L"Static", WS_VISIBLE, 0},
        {IDD_ABOUT, IDC_ABOUT_COPYRIGHT, L"Static", WS_VISIBLE, 0},
        {IDD_ABOUT, IDC_ABOUT_ADDRESS, L"Edit", ES_READONLY, WS_BORDER},
    };
    for (const auto& c : cases) {
        DialogTemplate t = Load(c.dialog, kEnglish);
        SCOPED_TRACE(testing::Message() << "dialog " << c.dialog << " control " << c.id);
        const DialogItem* item = t.Find(c.id);
        ASSERT_NE(nullptr, item);
        EXPECT_EQ(Lower(c.className), Lower(item->className));
        EXPECT_EQ(c.required, item->style & c.required);
        EXPECT_EQ(0u, item->style & c.forbidden);
    }
}

// Texts whose wording the users see exactly, including the non-ASCII German ones (a code-page slip in
// the resource compiler would mangle them).
TEST(Dialogs, TextsInBothLanguages) {
    struct Case {
        UINT dialog;
        int id;
        const wchar_t* en;
        const wchar_t* de;
    };
    const Case cases[] = {
        {IDD_TAG, IDC_TAG_CHECK, L"&Check that working files are unmodified",
         L"&Pr\u00fcfen, ob lokale Datei ver\u00e4nderte wurde"},
        {IDD_TAG, IDCANCEL, L"Cancel", L"Cancel"},
        {IDD_COMMIT, IDCANCEL, L"Cancel", L"Abbrechen"},
        {IDD_COMMIT, IDC_COMMIT_COMPARE, L"Compare...", L"&Vergleichen..."},
        {IDD_CUSTOM_COMMAND, IDCANCEL, L"Cancel", L"Abbrechen"},
        {IDD_HISTORY_PAGE, IDC_HISTORY_SHOW_LIST, L"L&ist", L"&Liste"},
        {IDD_HISTORY_PAGE, IDC_HISTORY_MERGE, L"&Merge", L"Versch&melzen"},
        {IDD_HISTORY_PAGE, IDC_HISTORY_PATH, L"File path", L"File path"},
        {IDD_OPTIONS, IDC_OPTIONS_AUTOSHOW, L"&Automatically Show CVS Output", L"CVS &Ausgabe automatisch anzeigen"},
        {IDD_ABOUT, IDC_ABOUT_VERSION, L"1.x.y", L"1.x.y"},
    };
    for (const auto& c : cases) {
        for (WORD language : kLanguages) {
            SCOPED_TRACE(testing::Message() << "dialog " << c.dialog << " control " << c.id << " language " << language);
            DialogTemplate t = Load(c.dialog, language);
            const DialogItem* item = t.Find(c.id);
            ASSERT_NE(nullptr, item);
            EXPECT_EQ(language == kEnglish ? c.en : c.de, item->text);
        }
    }
    // Labels without an identifier, found by text.
    auto hasLabel = [](UINT dialog, WORD language, const wchar_t* text) {
        DialogTemplate t = Load(dialog, language);
        for (const auto& item : t.items)
            if (item.id == IDC_STATIC && item.text == text) return true;
        return false;
    };
    EXPECT_TRUE(hasLabel(IDD_HISTORY_PAGE, kGerman, L"&Eintr\u00e4ge im &Logbuch"));
    EXPECT_TRUE(hasLabel(IDD_OPTIONS, kGerman, L"Kompatibilit\u00e4t"));
    EXPECT_TRUE(hasLabel(IDD_TOOLS, kGerman, L"&Vergleichsprogramm"));
    EXPECT_TRUE(hasLabel(IDD_CVS_PAGE, kGerman, L"Verzeichnisoptionen"));
    EXPECT_TRUE(hasLabel(IDD_ABOUT, kEnglish, L"Freeware"));
    // The About page shows the program's icon.
    DialogTemplate about = Load(IDD_ABOUT, kEnglish);
    bool icon = false;
    for (const auto& item : about.items) icon = icon || (item.className == L"Static" && item.textOrdinal == IDI_FERROW);
    EXPECT_TRUE(icon);
}

namespace {

INT_PTR CALLBACK QuietProc(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }

struct ModalRun {
    std::wstring caption;
    std::wstring cancelText;
};

INT_PTR CALLBACK EndAtOnceProc(HWND hwnd, UINT message, WPARAM, LPARAM param) {
    if (message != WM_INITDIALOG) return FALSE;
    auto* run = reinterpret_cast<ModalRun*>(param);
    run->caption = WindowText(hwnd);
    run->cancelText = WindowText(::GetDlgItem(hwnd, IDCANCEL));
    ::EndDialog(hwnd, 77);
    return TRUE;
}

}  // namespace

// Every template creates its window, with every control of the template, in both languages.
TEST(Dialogs, CreateEveryTemplate) {
    INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_LISTVIEW_CLASSES | ICC_TREEVIEW_CLASSES | ICC_STANDARD_CLASSES};
    ASSERT_TRUE(::InitCommonControlsEx(&icc));
    ferrow::UniqueLibrary richEdit(::LoadLibraryA("riched20.dll"));  // the output window's text control
    HWND owner = ::CreateWindowExW(0, L"STATIC", L"owner", WS_OVERLAPPEDWINDOW, 0, 0, 600, 600, nullptr, nullptr,
                                   nullptr, nullptr);
    ASSERT_NE(nullptr, owner);
    HMODULE module = ::GetModuleHandleW(nullptr);
    for (const auto& d : kDialogs) {
        for (WORD language : kLanguages) {
            SCOPED_TRACE(testing::Message() << "dialog " << d.id << " language " << language);
            HRSRC info = ::FindResourceExA(module, RT_DIALOG, MAKEINTRESOURCEA(d.id), language);
            ASSERT_NE(nullptr, info);
            auto* tmpl = static_cast<LPCDLGTEMPLATEW>(::LockResource(::LoadResource(module, info)));
            HWND dlg = ::CreateDialogIndirectParamW(module, tmpl, owner, QuietProc, 0);
            ASSERT_NE(nullptr, dlg);
            EXPECT_EQ(language == kEnglish ? d.en : d.de, WindowText(dlg));
            DialogTemplate t = Load(d.id, language);
            for (const auto& item : t.items) {
                if (item.id == IDC_STATIC) continue;
                HWND control = ::GetDlgItem(dlg, item.id);
                ASSERT_NE(nullptr, control) << "control " << item.id;
                wchar_t cls[64] = {};
                ::GetClassNameW(control, cls, 64);
                EXPECT_EQ(Lower(item.className), Lower(cls)) << "control " << item.id;
            }
            ::DestroyWindow(dlg);
        }
    }
    ::DestroyWindow(owner);
}

// The modal dialogs run through the dialog manager and end from their procedure; the thread's language
// picks the template. Windows looks at the thread's UI language, Wine at the thread locale: set both.
TEST(Dialogs, ModalDialogsFollowTheThreadLanguage) {
    const LANGID savedLanguage = ::GetThreadUILanguage();
    const LCID savedLocale = ::GetThreadLocale();
    struct Case {
        UINT id;
        LANGID language;
        const wchar_t* caption;
        const wchar_t* cancel;
    };
    const Case cases[] = {
        {IDD_COMMIT, kEnglish, L"CVS Commit", L"Cancel"},
        {IDD_COMMIT, kGerman, L"CVS Commit", L"Abbrechen"},
        {IDD_TAG, kGerman, L"CVS Tag", L"Cancel"},
        {IDD_CUSTOM_COMMAND, kEnglish, L"CVS custom command", L"Cancel"},
        {IDD_CUSTOM_COMMAND, kGerman, L"CVS Kommando", L"Abbrechen"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "dialog " << c.id << " language " << c.language);
        ::SetThreadUILanguage(c.language);
        ::SetThreadLocale(MAKELCID(c.language, SORT_DEFAULT));
        ModalRun run;
        INT_PTR result = ::DialogBoxParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(c.id), nullptr,
                                           EndAtOnceProc, reinterpret_cast<LPARAM>(&run));
        EXPECT_EQ(77, result);
        EXPECT_EQ(c.caption, run.caption);
        EXPECT_EQ(c.cancel, run.cancelText);
    }
    ::SetThreadUILanguage(savedLanguage);
    ::SetThreadLocale(savedLocale);
}
