// DllRegisterServer and DllUnregisterServer of the built DLL: every registration point, the class entries
// of every class in the object map, the type library, and the state after unregistration.
#include "common/module_instance.h"
#include "com/guids.h"
#include "com/core/overlay_order.h"
#include "com/object_map.h"
#include "support/registry_helpers.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using ferrow_test::CountEntries;
using ferrow_test::GuidText;
using ferrow_test::KeyExists;
using ferrow_test::ReadString;

using ServerFn = HRESULT(STDAPICALLTYPE*)();

const std::wstring kCurrentVersion = L"Software\\Microsoft\\Windows\\CurrentVersion";
const std::wstring kApproved = kCurrentVersion + L"\\Shell Extensions\\Approved";
const std::wstring kOverlays = kCurrentVersion + L"\\Explorer\\ShellIconOverlayIdentifiers";
const std::wstring kHelpers = kCurrentVersion + L"\\Explorer\\Browser Helper Objects";

struct Row {
    HKEY root;
    std::wstring key;
    std::wstring value;  // empty: the default value
    std::wstring data;
};

// The registration points of the module script, in order.
std::vector<Row> ModuleRows() {
    const std::wstring appid = GuidText(ferrow::kModuleId);
    const std::wstring menu = GuidText(CLSID_CCVSContextMenu);
    const std::wstring sheet = GuidText(CLSID_CCVSPropSheetExt);
    return {
        {HKEY_CLASSES_ROOT, L"AppID\\" + appid, L"", L"Ferrow"},
        {HKEY_CLASSES_ROOT, L"AppID\\Ferrow.DLL", L"AppID", appid},
        {HKEY_CLASSES_ROOT, L"Directory\\ShellEx\\ContextMenuHandlers\\Ferrow", L"", menu},
        {HKEY_CLASSES_ROOT, L"Directory\\ShellEx\\PropertySheetHandlers\\Ferrow", L"", sheet},
        {HKEY_CLASSES_ROOT, L"Directory\\Background\\ShellEx\\ContextMenuHandlers\\Ferrow", L"", menu},
        {HKEY_CLASSES_ROOT, L"*\\ShellEx\\ContextMenuHandlers\\Ferrow", L"", menu},
        {HKEY_CLASSES_ROOT, L"*\\ShellEx\\PropertySheetHandlers\\Ferrow", L"", sheet},
        {HKEY_CLASSES_ROOT, L"Folder\\Shellex\\ColumnHandlers\\" + GuidText(CLSID_CCVSColumnProvider), L"",
         L"Pembrake CVS Column Provider"},
        {HKEY_LOCAL_MACHINE, kApproved, menu, L"Pembrake CVS Context Menu"},
        {HKEY_LOCAL_MACHINE, kApproved, sheet, L"Pembrake CVS Property Sheet"},
        {HKEY_LOCAL_MACHINE, kOverlays + L"\\" + ferrow::kOverlayKeyControlled, L"",
         GuidText(CLSID_CCVSModifiedIconOverlay)},
        {HKEY_LOCAL_MACHINE, kOverlays + L"\\" + ferrow::kOverlayKeyModified, L"", GuidText(CLSID_CCVSIconOverlay)},
    };
}

// The entries of one class of the object map.
std::vector<Row> ClassRows(const ferrow::ObjectEntry& e, const std::wstring& module) {
    const std::wstring clsid = GuidText(*e.clsid);
    const std::wstring key = L"CLSID\\" + clsid;
    const std::wstring appid = GuidText(ferrow::kModuleId);
    std::wstring friendly = e.friendlyName ? e.friendlyName : L"";
    if (e.friendlyNameId != 0) friendly = ferrow::LoadResStringW(e.friendlyNameId);  // the system is English
    return {
        {HKEY_CLASSES_ROOT, e.progId, L"", friendly},
        {HKEY_CLASSES_ROOT, std::wstring(e.progId) + L"\\CLSID", L"", clsid},
        {HKEY_CLASSES_ROOT, e.versionIndependentProgId, L"", friendly},
        {HKEY_CLASSES_ROOT, std::wstring(e.versionIndependentProgId) + L"\\CLSID", L"", clsid},
        {HKEY_CLASSES_ROOT, std::wstring(e.versionIndependentProgId) + L"\\CurVer", L"", e.progId},
        {HKEY_CLASSES_ROOT, key, L"", friendly},
        {HKEY_CLASSES_ROOT, key + L"\\ProgID", L"", e.progId},
        {HKEY_CLASSES_ROOT, key + L"\\VersionIndependentProgID", L"", e.versionIndependentProgId},
        {HKEY_CLASSES_ROOT, key + L"\\InprocServer32", L"", module},
        {HKEY_CLASSES_ROOT, key + L"\\InprocServer32", L"ThreadingModel", L"apartment"},
        {HKEY_CLASSES_ROOT, key, L"AppID", appid},
        {HKEY_CLASSES_ROOT, key + L"\\TypeLib", L"", appid},
    };
}

class Registration : public ::testing::Test {
protected:
    void SetUp() override {
        dll_.Reset(::LoadLibraryA(FERROW_DLL));
        ASSERT_TRUE(dll_) << FERROW_DLL;
        register_ = reinterpret_cast<ServerFn>(::GetProcAddress(dll_.Get(), "DllRegisterServer"));
        unregister_ = reinterpret_cast<ServerFn>(::GetProcAddress(dll_.Get(), "DllUnregisterServer"));
        ASSERT_TRUE(register_ && unregister_);
        wchar_t path[MAX_PATH] = {};
        ::GetModuleFileNameW(dll_.Get(), path, MAX_PATH);
        module_ = path;
    }
    void TearDown() override {
        if (unregister_) unregister_();
    }

    void ExpectRowsPresent(const std::vector<Row>& rows) {
        for (const Row& row : rows) {
            std::wstring data;
            EXPECT_TRUE(ReadString(row.root, row.key, row.value, data)) << row.key.c_str() << " " << row.value.c_str();
            EXPECT_EQ(row.data, data) << row.key.c_str() << " " << row.value.c_str();
        }
    }

    ferrow::UniqueLibrary dll_;
    ServerFn register_ = nullptr;
    ServerFn unregister_ = nullptr;
    std::wstring module_;
};

TEST_F(Registration, WritesEveryRegistrationPoint) {
    ASSERT_EQ(S_OK, register_());
    ExpectRowsPresent(ModuleRows());
    const std::wstring helper = kHelpers + L"\\" + GuidText(ferrow::kBrowserHelperClsid);
    EXPECT_EQ(0, CountEntries(HKEY_LOCAL_MACHINE, helper));  // an empty key

    const ferrow::ObjectEntry* entries = ferrow::ObjectMapBegin();
    for (size_t i = 0; i < ferrow::ObjectMapSize(); ++i) {
        ExpectRowsPresent(ClassRows(entries[i], module_));
        const std::wstring key = L"CLSID\\" + GuidText(*entries[i].clsid);
        EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, key + L"\\Programmable"));
        for (size_t c = 0; c < ferrow::kMaxCategories && entries[i].categories[c]; ++c) {
            EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT,
                                  key + L"\\Implemented Categories\\" + GuidText(*entries[i].categories[c])));
        }
    }

    std::wstring help;
    EXPECT_TRUE(ReadString(HKEY_CLASSES_ROOT, L"TypeLib\\" + GuidText(ferrow::kModuleId) + L"\\1.0", L"", help));
    EXPECT_EQ(L"Ferrow 1.0 Type Library", help);
}

TEST_F(Registration, RegisteringTwiceReplacesKeysAndOverwritesValues) {
    ASSERT_EQ(S_OK, register_());
    // Leftovers of an older installation inside keys that registration owns, and a changed Approved value.
    ferrow::UniqueKey stray;
    ASSERT_EQ(ERROR_SUCCESS, ::RegCreateKeyExW(HKEY_LOCAL_MACHINE, (kOverlays + L"\\" + ferrow::kOverlayKeyControlled + L"\\Stray").c_str(), 0,
                                               nullptr, 0, KEY_WRITE, nullptr, stray.Put(), nullptr));
    stray.Reset();
    ASSERT_EQ(ERROR_SUCCESS, ::RegSetKeyValueW(HKEY_CLASSES_ROOT, L"*\\ShellEx\\ContextMenuHandlers\\Ferrow", L"Old",
                                               REG_SZ, L"x", 4));
    ASSERT_EQ(ERROR_SUCCESS, ::RegSetKeyValueW(HKEY_LOCAL_MACHINE, kApproved.c_str(),
                                               GuidText(CLSID_CCVSContextMenu).c_str(), REG_SZ, L"x", 4));

    ASSERT_EQ(S_OK, register_());
    ExpectRowsPresent(ModuleRows());
    EXPECT_EQ(1, CountEntries(HKEY_LOCAL_MACHINE, kOverlays + L"\\" + ferrow::kOverlayKeyControlled));  // the default only
    EXPECT_EQ(1, CountEntries(HKEY_CLASSES_ROOT, L"*\\ShellEx\\ContextMenuHandlers\\Ferrow"));  // the default only
}

TEST_F(Registration, UpgradeFromTheOldOverlayNamesLeavesNoStaleKey) {
    // An older version's identifiers ("CVSModified", "CVSControlled", which sort after those of other
    // programs) name the module's classes: registering removes them. A key of that name that names another
    // class belongs to another program: it stays, also through unregistration.
    const auto set = [](const std::wstring& name, const std::wstring& clsid) {
        ASSERT_EQ(ERROR_SUCCESS, ::RegSetKeyValueW(HKEY_LOCAL_MACHINE, (kOverlays + L"\\" + name).c_str(), nullptr,
                                                   REG_SZ, clsid.c_str(),
                                                   static_cast<DWORD>((clsid.size() + 1) * sizeof(wchar_t))));
    };
    set(L"CVSModified", GuidText(CLSID_CCVSModifiedIconOverlay));
    set(L"CVSControlled", L"{00000000-1111-2222-3333-444444444444}");
    ASSERT_EQ(S_OK, register_());
    ExpectRowsPresent(ModuleRows());
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kOverlays + L"\\CVSModified"));
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kOverlays + L"\\CVSControlled"));
    // The older version registered again over the new one: unregistering removes both names.
    set(L"CVSModified", GuidText(CLSID_CCVSModifiedIconOverlay));
    ASSERT_EQ(S_OK, unregister_());
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kOverlays + L"\\CVSModified"));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kOverlays + L"\\" + ferrow::kOverlayKeyControlled));
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kOverlays + L"\\CVSControlled"));
    ::RegDeleteKeyW(HKEY_LOCAL_MACHINE, (kOverlays + L"\\CVSControlled").c_str());
}

TEST_F(Registration, UnregisteringRemovesEveryRowAndKeepsParents) {
    ASSERT_EQ(S_OK, register_());
    ASSERT_EQ(S_OK, unregister_());

    for (const Row& row : ModuleRows()) {
        std::wstring data;
        EXPECT_FALSE(ReadString(row.root, row.key, row.value, data)) << row.key.c_str() << " " << row.value.c_str();
    }
    const wchar_t* const goneKeys[] = {
        L"Directory\\ShellEx\\ContextMenuHandlers\\Ferrow", L"Directory\\ShellEx\\PropertySheetHandlers\\Ferrow",
        L"Directory\\Background\\ShellEx\\ContextMenuHandlers\\Ferrow",
        L"*\\ShellEx\\ContextMenuHandlers\\Ferrow", L"*\\ShellEx\\PropertySheetHandlers\\Ferrow", L"AppID\\Ferrow.DLL",
    };
    for (const wchar_t* key : goneKeys) EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, key)) << key;
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, L"AppID\\" + GuidText(ferrow::kModuleId)));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, L"Folder\\Shellex\\ColumnHandlers\\" + GuidText(CLSID_CCVSColumnProvider)));
    for (const wchar_t* name : {ferrow::kOverlayKeyControlled, ferrow::kOverlayKeyModified, L"CVSModified", L"CVSControlled"})
        EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kOverlays + L"\\" + name)) << name;
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kHelpers + L"\\" + GuidText(ferrow::kBrowserHelperClsid)));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, L"TypeLib\\" + GuidText(ferrow::kModuleId)));

    const ferrow::ObjectEntry* entries = ferrow::ObjectMapBegin();
    for (size_t i = 0; i < ferrow::ObjectMapSize(); ++i) {
        EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, L"CLSID\\" + GuidText(*entries[i].clsid)));
        EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, entries[i].progId));
        EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, entries[i].versionIndependentProgId));
    }

    // Parents are shared with the system and other programs: they stay.
    const struct {
        HKEY root;
        std::wstring key;
    } parents[] = {
        {HKEY_CLASSES_ROOT, L"Folder\\Shellex\\ColumnHandlers"},
        {HKEY_CLASSES_ROOT, L"Directory\\ShellEx\\ContextMenuHandlers"},
        {HKEY_CLASSES_ROOT, L"Directory\\ShellEx\\PropertySheetHandlers"},
        {HKEY_CLASSES_ROOT, L"Directory\\Background\\ShellEx\\ContextMenuHandlers"},
        {HKEY_CLASSES_ROOT, L"*\\ShellEx\\ContextMenuHandlers"},
        {HKEY_CLASSES_ROOT, L"*\\ShellEx\\PropertySheetHandlers"},
        {HKEY_CLASSES_ROOT, L"AppID"},
        {HKEY_CLASSES_ROOT, L"CLSID"},
        {HKEY_LOCAL_MACHINE, kApproved},
        {HKEY_LOCAL_MACHINE, kOverlays},
        {HKEY_LOCAL_MACHINE, kHelpers},
    };
    for (const auto& parent : parents) EXPECT_TRUE(KeyExists(parent.root, parent.key)) << parent.key.c_str();

    // Unregistering what is not registered is no failure.
    EXPECT_EQ(S_OK, unregister_());
}

TEST_F(Registration, RestoresTheThreadLocale) {
    const LCID german = MAKELCID(MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN), SORT_DEFAULT);
    const LCID saved = ::GetThreadLocale();
    ASSERT_TRUE(::SetThreadLocale(german));
    EXPECT_EQ(S_OK, register_());
    EXPECT_EQ(german, ::GetThreadLocale());
    EXPECT_EQ(S_OK, unregister_());
    EXPECT_EQ(german, ::GetThreadLocale());
    ::SetThreadLocale(saved);
}

}  // namespace
