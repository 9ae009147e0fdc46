// The DLL's exported functions, called as COM calls them: through LoadLibrary and GetProcAddress.
#include "common/handles.h"
#include "com/guids.h"
#include "com/interface_ids.h"
#include "hostsupport/command_tree.h"
#include "support/fixtures.h"

#include <gtest/gtest.h>

namespace {

using GetClassObjectFn = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
using CanUnloadNowFn = HRESULT(STDAPICALLTYPE*)();

class Exports : public ::testing::Test {
protected:
    void SetUp() override {
        dll_.Reset(::LoadLibraryA(FERROW_DLL));
        ASSERT_TRUE(dll_) << FERROW_DLL;
        getClassObject_ = reinterpret_cast<GetClassObjectFn>(::GetProcAddress(dll_.Get(), "DllGetClassObject"));
        canUnloadNow_ = reinterpret_cast<CanUnloadNowFn>(::GetProcAddress(dll_.Get(), "DllCanUnloadNow"));
        ASSERT_NE(nullptr, getClassObject_);
        ASSERT_NE(nullptr, canUnloadNow_);
    }
    ferrow::UniqueLibrary dll_;
    GetClassObjectFn getClassObject_ = nullptr;
    CanUnloadNowFn canUnloadNow_ = nullptr;
};

TEST_F(Exports, UnknownClassGivesNullAndClassNotAvailable) {
    void* out = reinterpret_cast<void*>(0x1234);
    EXPECT_EQ(CLASS_E_CLASSNOTAVAILABLE, getClassObject_(ferrow::kBrowserHelperClsid, IID_IClassFactory, &out));
    EXPECT_EQ(nullptr, out);
    out = reinterpret_cast<void*>(0x1234);
    EXPECT_EQ(CLASS_E_CLASSNOTAVAILABLE, getClassObject_(ferrow::kModuleId, IID_IClassFactory, &out));
    EXPECT_EQ(nullptr, out);
    EXPECT_EQ(E_POINTER, getClassObject_(ferrow::kBrowserHelperClsid, IID_IClassFactory, nullptr));
    EXPECT_EQ(S_OK, canUnloadNow_());
}

TEST_F(Exports, SameFactoryAnswersTwiceAndLocksAreCounted) {
    ferrow::ComPtr<IClassFactory> first, second;
    ASSERT_EQ(S_OK, getClassObject_(CLSID_CCVSIconOverlay, IID_IClassFactory, first.PutVoid()));
    ASSERT_EQ(S_OK, getClassObject_(CLSID_CCVSIconOverlay, IID_IClassFactory, second.PutVoid()));
    EXPECT_EQ(first.Get(), second.Get());
    ferrow::ComPtr<IClassFactory> other;
    ASSERT_EQ(S_OK, getClassObject_(CLSID_CCVSModifiedIconOverlay, IID_IClassFactory, other.PutVoid()));
    EXPECT_NE(first.Get(), other.Get());
    void* out = reinterpret_cast<void*>(0x1234);
    EXPECT_EQ(E_NOINTERFACE, getClassObject_(CLSID_CCVSIconOverlay, IID_IStream, &out));
    EXPECT_EQ(nullptr, out);

    // A held factory keeps the DLL loaded; so does every object and every LockServer(TRUE).
    EXPECT_EQ(S_FALSE, canUnloadNow_());
    second.Reset();
    other.Reset();
    ferrow::ComPtr<IShellIconOverlayIdentifier> overlay;
    ASSERT_EQ(S_OK, first->CreateInstance(nullptr, IID_IShellIconOverlayIdentifier, overlay.PutVoid()));
    EXPECT_EQ(S_OK, first->LockServer(TRUE));
    first.Reset();
    EXPECT_EQ(S_FALSE, canUnloadNow_());
    overlay.Reset();
    EXPECT_EQ(S_FALSE, canUnloadNow_());  // the server lock
    ASSERT_EQ(S_OK, getClassObject_(CLSID_CCVSIconOverlay, IID_IClassFactory, first.PutVoid()));
    EXPECT_EQ(S_OK, first->LockServer(FALSE));
    first.Reset();
    EXPECT_EQ(S_OK, canUnloadNow_());
}

// Windows 11's command tree, made as the package's surrogate makes it (by the packaged CLSID): every object
// of it (the root, the subcommands, enumerators and their clones) keeps the DLL loaded, and nothing does
// once all are released.
TEST_F(Exports, CommandTreeHoldsTheModuleUntilEverythingIsReleased) {
    ferrow::ComPtr<IClassFactory> factory;
    ASSERT_EQ(S_OK, getClassObject_(CLSID_CExplorerCommandPackaged, IID_IClassFactory, factory.PutVoid()));
    ferrow::ComPtr<IExplorerCommand> root;
    ASSERT_EQ(S_OK, factory->CreateInstance(nullptr, IID_IExplorerCommand, root.PutVoid()));
    factory.Reset();
    auto items = ferrow::MakeShellItemArray({testing_support::SampleFixture("wc") + "\\modified.c"});
    ASSERT_TRUE(items);
    ferrow::CommandNode node;
    ASSERT_EQ(S_OK, ferrow::WalkCommandTree(root.Get(), items.Get(), node));
    ASSERT_FALSE(node.children.empty());
    ferrow::ComPtr<IEnumExplorerCommand> list, copy;
    ASSERT_EQ(S_OK, root->EnumSubCommands(list.Put()));
    ASSERT_EQ(S_OK, list->Clone(copy.Put()));
    ferrow::ComPtr<IExplorerCommand> first;
    ASSERT_EQ(S_OK, copy->Next(1, first.Put(), nullptr));
    root.Reset();
    list.Reset();
    copy.Reset();
    EXPECT_EQ(S_FALSE, canUnloadNow_());  // the subcommand
    first.Reset();
    EXPECT_EQ(S_OK, canUnloadNow_());
}

TEST_F(Exports, GuidTextMatchesConstants) {
    wchar_t text[40] = {};
    ASSERT_GT(::StringFromGUID2(CLSID_CCVSIconOverlay, text, 40), 0);
    EXPECT_STREQ(L"{" FERROW_GUID_TEXT_CCVSIconOverlay L"}", text);
    ASSERT_GT(::StringFromGUID2(ferrow::kModuleId, text, 40), 0);
    EXPECT_STREQ(L"{" FERROW_GUID_TEXT_MODULE L"}", text);
}

}  // namespace
