// The two overlay identifiers against a working copy made by the real cvs client.
#include "views/icon_overlay.h"

#include "common/handles.h"
#include "support/fixtures.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using ferrow::ComPtr;
using testing_support::WideOf;

ComPtr<IShellIconOverlayIdentifier> MakeOverlay(ferrow::CreatorFn create) {
    ComPtr<IShellIconOverlayIdentifier> overlay;
    EXPECT_EQ(S_OK, create(nullptr, IID_IShellIconOverlayIdentifier, overlay.PutVoid()));
    return overlay;
}

class IconOverlay : public ::testing::Test {
protected:
    void SetUp() override {
        testing_support::CopyTree(testing_support::SampleFixture("wc"), temp_ / "wc");
        controlled_ = MakeOverlay(&ferrow::CreateInstance<CCVSModifiedIconOverlay>);
        modified_ = MakeOverlay(&ferrow::CreateInstance<CCVSIconOverlay>);
        ASSERT_TRUE(controlled_ && modified_);
    }
    HRESULT Controlled(const std::string& path) { return controlled_->IsMemberOf(WideOf(path).c_str(), 0); }
    HRESULT Modified(const std::string& path) { return modified_->IsMemberOf(WideOf(path).c_str(), 0); }

    testing_support::TempDir temp_{"overlay"};
    ComPtr<IShellIconOverlayIdentifier> controlled_;  // blue mark, CCVSModifiedIconOverlay
    ComPtr<IShellIconOverlayIdentifier> modified_;    // red mark, CCVSIconOverlay
};

TEST_F(IconOverlay, MembershipForEachState) {
    const struct {
        const char* relative;  // under the temporary folder
        HRESULT controlled;
        HRESULT modified;
    } cases[] = {
        {"wc", S_OK, S_FALSE},  // a working folder, though files inside are changed
        {"wc/sub", S_OK, S_FALSE},
        {"wc/CVS", S_FALSE, S_FALSE},
        {"wc/CVS/Entries", S_FALSE, S_FALSE},
        {"wc/unchanged.txt", S_OK, S_FALSE},
        {"wc/sub/nested.txt", S_OK, S_FALSE},
        {"wc/image.bin", S_OK, S_FALSE},
        {"wc/sticky.txt", S_OK, S_FALSE},
        {"wc/modified.c", S_OK, S_OK},
        {"wc/added.txt", S_OK, S_OK},
        {"wc/removed.txt", S_OK, S_OK},  // scheduled for removal, gone from the disk
        {"wc/unlisted.txt", S_FALSE, S_FALSE},
        {"wc/missing.txt", S_FALSE, S_FALSE},
        {"", S_FALSE, S_FALSE},  // the temporary folder itself: outside any working copy
    };
    testing_support::WriteTextFile(temp_ / "outside.txt", "x");
    for (const auto& c : cases) {
        const std::string path = temp_ / c.relative;
        EXPECT_EQ(c.controlled, Controlled(path)) << path;
        EXPECT_EQ(c.modified, Modified(path)) << path;
    }
    EXPECT_EQ(S_FALSE, Controlled(temp_ / "outside.txt"));
    EXPECT_EQ(S_FALSE, Modified(temp_ / "outside.txt"));
}

TEST_F(IconOverlay, SavingAFileAddsTheRedMark) {
    const std::string file = temp_ / "wc/unchanged.txt";
    ASSERT_EQ(S_FALSE, Modified(file));
    testing_support::WriteTextFile(file, "changed\n");
    testing_support::SetLastWriteUnix(file, 2000000000);
    EXPECT_EQ(S_OK, Modified(file));
    EXPECT_EQ(S_OK, Controlled(file));
}

TEST_F(IconOverlay, UnusablePathsAreNotMembers) {
    EXPECT_EQ(S_FALSE, controlled_->IsMemberOf(nullptr, 0));
    EXPECT_EQ(S_FALSE, modified_->IsMemberOf(nullptr, 0));
    EXPECT_EQ(S_FALSE, controlled_->IsMemberOf(L"", 0));
    const std::wstring longPath = WideOf(temp_ / "wc/") + std::wstring(400, L'a');
    EXPECT_EQ(S_FALSE, controlled_->IsMemberOf(longPath.c_str(), 0));
    EXPECT_EQ(S_FALSE, modified_->IsMemberOf(longPath.c_str(), 0));
}

TEST(IconOverlayInfo, PriorityAndIconOfEachClass) {
    wchar_t module[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, module, MAX_PATH);  // the test program carries the resources
    const struct {
        ferrow::CreatorFn create;
        int priority;
        int index;
    } cases[] = {
        {&ferrow::CreateInstance<CCVSIconOverlay>, 0, 2},
        {&ferrow::CreateInstance<CCVSModifiedIconOverlay>, 5, 1},
    };
    for (const auto& c : cases) {
        ComPtr<IShellIconOverlayIdentifier> overlay = MakeOverlay(c.create);
        ASSERT_TRUE(overlay);
        int priority = -1;
        EXPECT_EQ(S_OK, overlay->GetPriority(&priority));
        EXPECT_EQ(c.priority, priority);
        EXPECT_EQ(E_POINTER, overlay->GetPriority(nullptr));

        wchar_t file[MAX_PATH] = {};
        int index = -1;
        DWORD flags = 0x100;  // another flag of the caller's stays
        EXPECT_EQ(S_OK, overlay->GetOverlayInfo(file, MAX_PATH, &index, &flags));
        EXPECT_STREQ(module, file);
        EXPECT_EQ(c.index, index);
        EXPECT_EQ(0x100u | ISIOI_ICONFILE | ISIOI_ICONINDEX, flags);
    }
}

TEST(IconOverlayInfo, ShortBufferIsCutAndTerminated) {
    wchar_t module[MAX_PATH] = {};
    const int length = static_cast<int>(::GetModuleFileNameW(nullptr, module, MAX_PATH));
    ASSERT_GT(length, 6);
    ComPtr<IShellIconOverlayIdentifier> overlay = MakeOverlay(&ferrow::CreateInstance<CCVSIconOverlay>);
    ASSERT_TRUE(overlay);

    for (int capacity : {1, 2, 6, length, length + 1}) {
        wchar_t file[MAX_PATH + 8];
        for (auto& ch : file) ch = L'#';
        int index = -1;
        DWORD flags = 0;
        ASSERT_EQ(S_OK, overlay->GetOverlayInfo(file, capacity, &index, &flags)) << capacity;
        const int kept = capacity - 1 < length ? capacity - 1 : length;
        EXPECT_EQ(std::wstring(module, kept), std::wstring(file)) << capacity;
        EXPECT_EQ(L'#', file[kept + 1]) << capacity;  // nothing written past the terminator
        EXPECT_EQ(2, index);
    }

    wchar_t file[4] = {L'#', L'#', L'#', L'#'};
    int index = -1;
    DWORD flags = 0;
    EXPECT_EQ(E_INVALIDARG, overlay->GetOverlayInfo(file, 0, &index, &flags));
    EXPECT_EQ(L'#', file[0]);
    EXPECT_EQ(-1, index);
    EXPECT_EQ(E_POINTER, overlay->GetOverlayInfo(nullptr, 4, &index, &flags));
    EXPECT_EQ(E_POINTER, overlay->GetOverlayInfo(file, 4, nullptr, &flags));
    EXPECT_EQ(E_POINTER, overlay->GetOverlayInfo(file, 4, &index, nullptr));
}

TEST(IconOverlayInfo, AggregatedLikeEveryClass) {
    // Created aggregated by a stand-in outer object (the inner unknown is all that is handed out).
    struct Outer : IUnknown {
        STDMETHODIMP QueryInterface(REFIID, void** ppv) override {
            *ppv = nullptr;
            return E_NOINTERFACE;
        }
        STDMETHODIMP_(ULONG) AddRef() override { return 2; }
        STDMETHODIMP_(ULONG) Release() override { return 1; }
    } outer;
    ComPtr<IUnknown> inner;
    ASSERT_EQ(S_OK, ferrow::CreateInstance<CCVSIconOverlay>(&outer, IID_IUnknown, inner.PutVoid()));
    ComPtr<IShellIconOverlayIdentifier> overlay;
    ASSERT_EQ(S_OK, inner->QueryInterface(IID_IShellIconOverlayIdentifier, overlay.PutVoid()));
    int priority = -1;
    EXPECT_EQ(S_OK, overlay->GetPriority(&priority));
    EXPECT_EQ(0, priority);
}

}  // namespace
