// The registrar's executor on a private test key, and class information from the type library.
#include "com/com_object.h"
#include "com/guids.h"
#include "com/registrar.h"
#include "module/registration.h"

#include <shlguid.h>
#include "support/registry_helpers.h"

#include <gtest/gtest.h>

namespace {

using ferrow_test::CountEntries;
using ferrow_test::KeyExists;
using ferrow_test::ReadString;

const wchar_t kTestKey[] = L"Software\\FerrowRegistrarTest";

const wchar_t kScript[] = LR"(HKCU
{
	NoRemove Software
	{
		NoRemove FerrowRegistrarTest
		{
			Plain = s '%Module%'
			{
				val Number = d '7'
				Child
			}
			ForceRemove Forced = s 'new'
			NoRemove Kept
			{
				val Mine = s 'mine'
			}
			Delete Obsolete
			Delete Owned = s '{AB-12}'
			Delete Foreign = s '{AB-12}'
		}
	}
}
)";

class Registrar : public ::testing::Test {
protected:
    void SetUp() override {
        Clean();
        replacements_.Add(L"Module", L"C:\\x\\Ferrow.dll");
    }
    void TearDown() override { Clean(); }
    static void Clean() { ::RegDeleteTreeW(HKEY_CURRENT_USER, kTestKey), ::RegDeleteKeyW(HKEY_CURRENT_USER, kTestKey); }
    static void MakeKey(const std::wstring& sub) {
        ferrow::UniqueKey key;
        ASSERT_EQ(ERROR_SUCCESS, ::RegCreateKeyExW(HKEY_CURRENT_USER, (std::wstring(kTestKey) + L"\\" + sub).c_str(), 0,
                                                   nullptr, 0, KEY_WRITE, nullptr, key.Put(), nullptr));
    }
    static std::wstring Path(const std::wstring& sub) { return std::wstring(kTestKey) + L"\\" + sub; }
    static void SetDefault(const std::wstring& sub, const std::wstring& text) {
        MakeKey(sub);
        ASSERT_EQ(ERROR_SUCCESS, ::RegSetKeyValueW(HKEY_CURRENT_USER, Path(sub).c_str(), nullptr, REG_SZ, text.c_str(),
                                                   static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))));
    }

    ferrow::RegistryReplacements replacements_;
};

TEST_F(Registrar, RegistersAndUnregistersWhatItCreated) {
    MakeKey(L"Forced\\Stale");
    MakeKey(L"Kept\\Other");
    MakeKey(L"Obsolete\\Deep");
    SetDefault(L"Owned", L"{ab-12}");      // an older version's key: its value names the class
    SetDefault(L"Foreign", L"{other}");    // the same name, another program's: it stays

    ASSERT_EQ(S_OK, ferrow::RunRegistryScript(kScript, replacements_, true));
    std::wstring text;
    EXPECT_TRUE(ReadString(HKEY_CURRENT_USER, Path(L"Plain"), L"", text));
    EXPECT_EQ(L"C:\\x\\Ferrow.dll", text);
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, Path(L"Plain\\Child")));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, Path(L"Forced\\Stale")));  // replaced
    EXPECT_TRUE(ReadString(HKEY_CURRENT_USER, Path(L"Forced"), L"", text));
    EXPECT_EQ(L"new", text);
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, Path(L"Kept\\Other")));  // NoRemove keeps contents
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, Path(L"Obsolete")));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, Path(L"Owned")));
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, Path(L"Foreign")));

    ferrow::UniqueKey plain;
    ASSERT_EQ(ERROR_SUCCESS, ::RegOpenKeyExW(HKEY_CURRENT_USER, Path(L"Plain").c_str(), 0, KEY_READ, plain.Put()));
    DWORD number = 0, size = sizeof(number), type = 0;
    EXPECT_EQ(ERROR_SUCCESS, ::RegQueryValueExW(plain.Get(), L"Number", nullptr, &type, reinterpret_cast<BYTE*>(&number), &size));
    EXPECT_EQ(static_cast<DWORD>(REG_DWORD), type);
    EXPECT_EQ(7u, number);
    plain.Reset();

    // An older version registered again meanwhile: unregistration removes its keys too.
    MakeKey(L"Obsolete");
    SetDefault(L"Owned", L"{AB-12}");
    ASSERT_EQ(S_OK, ferrow::RunRegistryScript(kScript, replacements_, false));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, Path(L"Obsolete")));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, Path(L"Owned")));
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, Path(L"Foreign")));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, Path(L"Plain")));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, Path(L"Forced")));
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, Path(L"Kept\\Other")));
    EXPECT_FALSE(ReadString(HKEY_CURRENT_USER, Path(L"Kept"), L"Mine", text));
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, kTestKey));

    // Again, with everything already gone.
    EXPECT_EQ(S_OK, ferrow::RunRegistryScript(kScript, replacements_, false));
}

TEST_F(Registrar, MalformedScriptWritesNothing) {
    const std::wstring broken = std::wstring(kScript) + L"HKCU {";
    EXPECT_EQ(E_INVALIDARG, ferrow::RunRegistryScript(broken, replacements_, true));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kTestKey));
}

TEST_F(Registrar, StopsAtTheFirstFailure) {
    // A key name longer than the registry allows fails; what follows it is not written, what precedes stays.
    const std::wstring script = std::wstring(L"HKCU { NoRemove Software { NoRemove FerrowRegistrarTest {\n") +
                                L"First\n" + std::wstring(300, L'x') + L"\nThird\n} } }";
    const HRESULT hr = ferrow::RunRegistryScript(script, replacements_, true);
    EXPECT_TRUE(FAILED(hr));
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, Path(L"First")));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, Path(L"Third")));
}

// The module's own script resource parses with the module's replacements.
TEST_F(Registrar, ModuleScriptResourceLoads) {
    std::wstring text;
    ASSERT_EQ(S_OK, ferrow::LoadRegistryScriptResource(101, text));
    EXPECT_NE(std::wstring::npos, text.find(L"ShellIconOverlayIdentifiers"));
    EXPECT_EQ(std::wstring::npos, text.find(L'\0'));
}

class CInfoThing : public ferrow::ComObject<CInfoThing, IPersist, ferrow::ProvideClassInfoImpl<CInfoThing>> {
public:
    static const CLSID& ClassId() { return CLSID_CCVSModifiedIconOverlay; }
    STDMETHODIMP GetClassID(CLSID* id) override {
        *id = ClassId();
        return S_OK;
    }
};

TEST(ClassInfo, ComesFromTheTypeLibrary) {
    ferrow::ComPtr<IProvideClassInfo> info;
    ASSERT_EQ(S_OK, CInfoThing::CreateInstance(nullptr, IID_IProvideClassInfo, info.PutVoid()));
    ferrow::ComPtr<ITypeInfo> type;
    ASSERT_EQ(S_OK, info->GetClassInfo(type.Put()));
    BSTR doc = nullptr;
    ASSERT_EQ(S_OK, type->GetDocumentation(MEMBERID_NIL, nullptr, &doc, nullptr, nullptr));
    EXPECT_STREQ(L"Pembrake CVSModifiedIconOverlay Class", doc);
    ::SysFreeString(doc);
    EXPECT_EQ(E_POINTER, info->GetClassInfo(nullptr));
}

// Every class of the design has its coclass, with its description, in the library.
TEST(ClassInfo, TypeLibraryDescribesEveryClass) {
    const struct {
        const CLSID* clsid;
        const wchar_t* description;
    } classes[] = {
        {&CLSID_CCVSColumnProvider, L"Pembrake CVSColumnProvider Class"},
        {&CLSID_CConsoleBar, L"ConsoleBar Class"},
        {&CLSID_CCVSContextMenu, L"Pembrake CVSContextMenu Class"},
        {&CLSID_CAboutPage, L"AboutPage Class"},
        {&CLSID_CCVSIconOverlay, L"Pembrake CVSIconOverlay Class"},
        {&CLSID_CCVSModifiedIconOverlay, L"Pembrake CVSModifiedIconOverlay Class"},
        {&CLSID_CCVSPropSheetExt, L"Pembrake CVSPropSheetExt Class"},
        {&CLSID_COptionsPage, L"OptionsPage Class"},
        {&CLSID_CToolsPage, L"Pembrake ToolsPage Class"},
    };
    for (const auto& c : classes) {
        ferrow::ComPtr<ITypeInfo> type;
        ASSERT_EQ(S_OK, ferrow::LoadClassTypeInfo(*c.clsid, type.Put()));
        BSTR doc = nullptr;
        ASSERT_EQ(S_OK, type->GetDocumentation(MEMBERID_NIL, nullptr, &doc, nullptr, nullptr));
        EXPECT_STREQ(c.description, doc);
        ::SysFreeString(doc);
        TYPEATTR* attr = nullptr;
        ASSERT_EQ(S_OK, type->GetTypeAttr(&attr));
        EXPECT_EQ(TKIND_COCLASS, attr->typekind);
        type->ReleaseTypeAttr(attr);
    }
}

}  // namespace

namespace {

// A band class's implemented category, as the console bar declares it, on a test-only CLSID.
TEST(Categories, RegisteredAndRemovedThroughTheManager) {
    static const CLSID kTestClsid = {0x3b8c6a51, 0x0d7e, 0x4f0a, {0x9c, 0x21, 0x55, 0x6e, 0x1f, 0x02, 0xa4, 0x77}};
    const ferrow::ObjectEntry entry = {&kTestClsid, L"Ferrow.Test.1", L"Ferrow.Test", L"Test", 0, L"Test",
                                       nullptr, {&CATID_CommBand}, nullptr};
    const std::wstring key = L"CLSID\\" + ferrow_test::GuidText(kTestClsid);
    const std::wstring category = key + L"\\Implemented Categories\\" + ferrow_test::GuidText(CATID_CommBand);
    ferrow::UniqueKey created;
    ASSERT_EQ(ERROR_SUCCESS, ::RegCreateKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr,
                                               created.Put(), nullptr));
    created.Reset();

    EXPECT_EQ(S_OK, ferrow::UpdateClassCategories(entry, true));
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, category));
    EXPECT_EQ(S_OK, ferrow::UpdateClassCategories(entry, false));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, category));

    ::RegDeleteTreeW(HKEY_CLASSES_ROOT, key.c_str());
    ::RegDeleteKeyW(HKEY_CLASSES_ROOT, key.c_str());
    EXPECT_EQ(S_OK, ferrow::UpdateClassCategories(entry, false));  // the class is gone: nothing to do
}

}  // namespace
