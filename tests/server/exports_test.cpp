// The DLL's exported functions, called as COM calls them: through LoadLibrary and GetProcAddress.
#include "common/handles.h"
#include "server/guids.h"

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

TEST_F(Exports, GuidTextMatchesConstants) {
    wchar_t text[40] = {};
    ASSERT_GT(::StringFromGUID2(CLSID_CCVSIconOverlay, text, 40), 0);
    EXPECT_STREQ(L"{" FERROW_GUID_TEXT_CCVSIconOverlay L"}", text);
    ASSERT_GT(::StringFromGUID2(ferrow::kModuleId, text, 40), 0);
    EXPECT_STREQ(L"{" FERROW_GUID_TEXT_MODULE L"}", text);
}

}  // namespace
