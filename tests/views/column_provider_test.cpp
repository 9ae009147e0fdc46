#include "views/column_provider.h"

#include "common/handles.h"
#include "common/text.h"
#include "propsheet/stub_client.h"
#include "support/fixtures.h"
#include "support/settings_guard.h"

#include <gtest/gtest.h>

#include <string>

using namespace testing_support;
using namespace propsheet_test;

namespace {

const char kColumns[] = "Software\\Pembrake\\Ferrow\\Columns";

// A working folder whose CVS/Entries holds one file of each kind the columns show.
class ColumnProviderTest : public ::testing::Test {
protected:
    void SetUp() override {
        WriteTextFile(dir_ / "CVS/Root", ":local:/repo\n");
        WriteTextFile(dir_ / "CVS/Repository", "mod\n");
        WriteTextFile(dir_ / "CVS/Entries",
                      "/tagged.c/1.4/Thu Jan  1 00:00:00 2009//Trelease_2\n"
                      "/dated.c/1.2/Thu Jan  1 00:00:00 2009/-kb/D2008.01.01.00.00.00\n"
                      "/removed.c/-1.7/dummy timestamp//\n"
                      "/added.c/0/Initial added.c//\n"
                      "/branch.c/1.2.2.1/Thu Jan  1 00:00:00 2009//Tbranch_x\n"
                      "D/sub////\n");
        for (const char* name : {"tagged.c", "dated.c", "added.c", "branch.c"}) WriteTextFile(dir_ / name, "x\n");
        WriteTextFile(dir_ / "sub/CVS/Entries", "D\n");
        ASSERT_EQ(S_OK, ferrow::CreateInstance<CCVSColumnProvider>(nullptr, __uuidof(IColumnProvider),
                                                                   provider_.PutVoid()));
    }

    HRESULT Init(const std::string& folder) {
        SHCOLUMNINIT init = {};
        const std::wstring wide = WideOf(folder);
        wcsncpy(init.wszFolder, wide.c_str(), MAX_PATH - 1);
        return provider_->Initialize(&init);
    }

    // The value of a column for a file: the result and the text (a marker when no value was stored).
    HRESULT Value(const GUID& fmtid, DWORD pid, const std::string& file, std::string& text) {
        SHCOLUMNID id = {fmtid, pid};
        SHCOLUMNDATA data = {};
        const std::wstring wide = WideOf(dir_ / file);
        wcsncpy(data.wszFile, wide.c_str(), MAX_PATH - 1);
        data.dwFileAttributes = ::GetFileAttributesW(wide.c_str());
        VARIANT v;
        ::VariantInit(&v);
        HRESULT hr = provider_->GetItemData(&id, &data, &v);
        text = V_VT(&v) == VT_BSTR ? ferrow::WideToAnsi(V_BSTR(&v)) : std::string("<none>");
        ::VariantClear(&v);
        return hr;
    }

    // The offered columns as "index:shown" pairs, e.g. "0:1 1:1 2:0 3:1".
    std::string Offered() {
        std::string out;
        SHCOLUMNINFO info;
        for (DWORD i = 0; i < 8; ++i) {
            if (provider_->GetColumnInfo(i, &info) != S_OK) continue;
            if (!out.empty()) out += ' ';
            out += std::to_string(i) + ":" + ((info.csFlags & SHCOLSTATE_ONBYDEFAULT) ? "1" : "0");
        }
        return out;
    }

    StubClient stub_;
    TempDir dir_{"ferrow-columns"};
    ferrow::ComPtr<IColumnProvider> provider_;
};

TEST_F(ColumnProviderTest, DeclinesAFolderWithoutCvs) {
    EXPECT_EQ(E_INVALIDARG, Init(dir_ / "sub/CVS"));
    TempDir plain("ferrow-plain");
    EXPECT_EQ(E_INVALIDARG, Init(plain.Path()));
    EXPECT_EQ(E_INVALIDARG, provider_->Initialize(nullptr));
    EXPECT_EQ(S_OK, Init(dir_.Path()));
}

struct FlagsCase {
    const char* name;
    const char* value;  // null: no Columns key
    DWORD data;
    const char* offered;
};

TEST_F(ColumnProviderTest, ColumnsFlags) {
    const FlagsCase cases[] = {
        {"no key", nullptr, 0, "0:1 1:1 2:0 3:1"},
        {"author offered", "Author", 1, "0:1 1:1 2:0 3:1 4:0"},
        {"author shown", "Author", 3, "0:1 1:1 2:0 3:1 4:1"},
        {"revision 0 still shown", "Revision", 0, "0:1 1:1 2:0 3:1"},
        {"tag 0 still shown", "Tag", 0, "0:1 1:1 2:0 3:1"},
        {"status not shown", "Status", 1, "0:0 1:1 2:0 3:1"},
        {"options shown", "Options", 3, "0:1 1:1 2:1 3:1"},
    };
    for (const FlagsCase& c : cases) {
        SCOPED_TRACE(c.name);
        ::RegDeleteTreeA(HKEY_CURRENT_USER, kColumns);
        if (c.value) ASSERT_TRUE(SetRawValue(kColumns, c.value, REG_DWORD, &c.data, sizeof(c.data)));
        ferrow::ComPtr<IColumnProvider> fresh;
        ASSERT_EQ(S_OK, ferrow::CreateInstance<CCVSColumnProvider>(nullptr, __uuidof(IColumnProvider),
                                                                   fresh.PutVoid()));
        provider_ = std::move(fresh);
        ASSERT_EQ(S_OK, Init(dir_.Path()));
        EXPECT_EQ(c.offered, Offered());
    }
}

TEST_F(ColumnProviderTest, MissingValuesKeepWhatAnEarlierInitializeRead) {
    const DWORD three = 3;
    ASSERT_TRUE(SetRawValue(kColumns, "Author", REG_DWORD, &three, sizeof(three)));
    ASSERT_EQ(S_OK, Init(dir_.Path()));
    ::RegDeleteTreeA(HKEY_CURRENT_USER, kColumns);
    ASSERT_EQ(S_OK, Init(dir_.Path()));
    EXPECT_EQ(3u, static_cast<CCVSColumnProvider*>(provider_.Get())->Flags().Author);
}

TEST_F(ColumnProviderTest, ColumnInfo) {
    ScopedThreadLanguage english(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
    const DWORD one = 1;
    ASSERT_TRUE(SetRawValue(kColumns, "Author", REG_DWORD, &one, sizeof(one)));
    ASSERT_EQ(S_OK, Init(dir_.Path()));
    struct Expect {
        const GUID* fmtid;
        DWORD pid;
        const wchar_t* title;
        DWORD extra;
    } const expected[] = {{&ferrow::kColumnFormatId, 0, L"CVS Status", SHCOLSTATE_ONBYDEFAULT},
                          {&ferrow::kColumnFormatId, 1, L"CVS Tag", SHCOLSTATE_ONBYDEFAULT},
                          {&ferrow::kColumnFormatId, 2, L"CVS Options", 0},
                          {&FMTID_SummaryInformation, 9, L"CVS Revision", SHCOLSTATE_ONBYDEFAULT},
                          {&FMTID_SummaryInformation, 4, L"CVS Author", SHCOLSTATE_SLOW}};
    for (DWORD i = 0; i < 5; ++i) {
        SCOPED_TRACE(i);
        SHCOLUMNINFO info;
        memset(&info, 0xCC, sizeof(info));
        ASSERT_EQ(S_OK, provider_->GetColumnInfo(i, &info));
        EXPECT_TRUE(IsEqualGUID(*expected[i].fmtid, info.scid.fmtid));
        EXPECT_EQ(expected[i].pid, info.scid.pid);
        EXPECT_EQ(VT_LPSTR, info.vt);
        EXPECT_EQ(static_cast<DWORD>(LVCFMT_LEFT), info.fmt);
        EXPECT_EQ(12u, info.cChars);
        EXPECT_EQ(SHCOLSTATE_TYPE_STR | expected[i].extra, info.csFlags);
        EXPECT_STREQ(expected[i].title, info.wszTitle);
        EXPECT_STREQ(expected[i].title, info.wszDescription);
    }
    SHCOLUMNINFO info;
    EXPECT_EQ(S_FALSE, provider_->GetColumnInfo(5, &info));
    EXPECT_FALSE(IsEqualGUID(ferrow::kColumnFormatId, FMTID_SummaryInformation));
}

struct ValueCase {
    const char* file;
    bool own;
    DWORD pid;
    HRESULT result;
    const char* text;
};

TEST_F(ColumnProviderTest, Values) {
    ScopedThreadLanguage english(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
    ASSERT_EQ(S_OK, Init(dir_.Path()));
    const ValueCase cases[] = {
        {"tagged.c", true, 1, S_OK, "release_2"},
        {"dated.c", true, 1, S_OK, "D2008.01.01.00.00.00"},
        {"added.c", true, 1, S_OK, ""},
        {"dated.c", true, 2, S_OK, "-kb"},
        {"tagged.c", true, 2, S_OK, ""},
        {"removed.c", true, 0, S_OK, "Removed"},
        {"added.c", true, 0, S_OK, "Added"},
        {"removed.c", false, 9, S_OK, "1.7"},
        {"added.c", false, 9, S_OK, "0"},
        {"tagged.c", false, 9, S_OK, "1.4"},
        {"tagged.c", true, 7, S_OK, "<none>"},   // an unknown property of the own set: no value
        {"tagged.c", false, 2, S_OK, "<none>"},  // the summary set's title: no value
        {"sub", true, 1, S_FALSE, "<none>"},
        {"sub", false, 9, S_FALSE, "<none>"},
        {"unlisted.c", true, 0, S_FALSE, "<none>"},
    };
    for (const ValueCase& c : cases) {
        SCOPED_TRACE(std::string(c.file) + " " + std::to_string(c.pid));
        std::string text;
        EXPECT_EQ(c.result, Value(c.own ? ferrow::kColumnFormatId : FMTID_SummaryInformation, c.pid, c.file, text));
        EXPECT_EQ(c.text, text);
    }
    std::string text;
    EXPECT_EQ(S_FALSE, Value(FMTID_Storage, 10, "tagged.c", text));  // another property set
    EXPECT_TRUE(stub_.Calls().empty());  // no column but Author runs the client
}

TEST_F(ColumnProviderTest, AuthorOfTheWorkingRevision) {
    ASSERT_EQ(S_OK, Init(dir_.Path()));
    stub_.Serve("branch.log");
    std::string text;
    EXPECT_EQ(S_OK, Value(FMTID_SummaryInformation, 4, "branch.c", text));
    EXPECT_EQ("root", text);
    // An added file's revision "0" is not in any log: the cell stays empty.
    EXPECT_EQ(S_OK, Value(FMTID_SummaryInformation, 4, "added.c", text));
    EXPECT_EQ("", text);
    EXPECT_EQ(2u, stub_.Calls().size());
    // A repaint starts no process; a failing client leaves the cell empty and is asked again next time.
    stub_.Exit(1);
    for (const char* file : {"branch.c", "added.c"}) EXPECT_EQ(S_OK, Value(FMTID_SummaryInformation, 4, file, text));
    EXPECT_EQ(2u, stub_.Calls().size());
    EXPECT_EQ(S_OK, Value(FMTID_SummaryInformation, 4, "tagged.c", text));
    EXPECT_EQ("", text);
    EXPECT_EQ(S_OK, Value(FMTID_SummaryInformation, 4, "tagged.c", text));
    EXPECT_EQ(4u, stub_.Calls().size());
    // A new working revision is a new question.
    stub_.Exit(0);
    WriteTextFile(dir_ / "CVS/Entries", "/branch.c/1.3/Mon Mar  3 10:00:00 2008//\n");
    EXPECT_EQ(S_OK, Value(FMTID_SummaryInformation, 4, "branch.c", text));
    EXPECT_EQ("root", text);
    EXPECT_EQ(5u, stub_.Calls().size());
}

}  // namespace

namespace {

TEST(ColumnProviderClass, ServedByTheDll) {
    HMODULE dll = ::LoadLibraryA(FERROW_DLL);
    ASSERT_NE(nullptr, dll);
    using GetClassObjectFn = HRESULT(WINAPI*)(REFCLSID, REFIID, void**);
    auto get = reinterpret_cast<GetClassObjectFn>(::GetProcAddress(dll, "DllGetClassObject"));
    ASSERT_NE(nullptr, get);
    {
        ferrow::ComPtr<IClassFactory> factory;
        ASSERT_EQ(S_OK, get(CLSID_CCVSColumnProvider, IID_IClassFactory, factory.PutVoid()));
        ferrow::ComPtr<IColumnProvider> provider;
        ASSERT_EQ(S_OK, factory->CreateInstance(nullptr, __uuidof(IColumnProvider), provider.PutVoid()));
        SHCOLUMNINFO info;
        EXPECT_EQ(S_OK, provider->GetColumnInfo(0, &info));
    }
    ::FreeLibrary(dll);
}

}  // namespace
