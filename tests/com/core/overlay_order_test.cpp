// Where the module's overlay identifiers stand in the order the shell loads them.
#include "com/core/overlay_order.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using ferrow::kOverlayKeyControlled;
using ferrow::kOverlayKeyModified;
using ferrow::kOverlaySlots;
using ferrow::MakeOverlayLoadOrder;
using ferrow::OverlayKeyBefore;
using ferrow::OverlayLoadOrder;

TEST(OverlayOrder, KeysSortAsTheRegistryListsThem) {
    // Ordinal with case ignored: spaces first, then digits, then letters whatever their case; '_' (0x5F)
    // after the upper-cased letters, as the registry's upper-cased comparison puts it.
    const std::vector<std::wstring> sorted = {L"    B", L"   a", L"  Z", L" 1", L"1", L"a", L"B", L"bz", L"b_",
                                              L"\u00e4x", L"\u00c4y"};
    for (size_t i = 0; i + 1 < sorted.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_TRUE(OverlayKeyBefore(sorted[i], sorted[i + 1]));
        EXPECT_FALSE(OverlayKeyBefore(sorted[i + 1], sorted[i]));
    }
    EXPECT_FALSE(OverlayKeyBefore(L"ABC", L"abc"));
    EXPECT_FALSE(OverlayKeyBefore(L"abc", L"ABC"));
    // The module's own names come before those of the common sync clients and version-control tools.
    for (const wchar_t* other : {L"    OneDrive1", L"   DropboxExt01", L"     Sync5", L"      Ferrow_", L"EnhancedStorageShell"})
        EXPECT_TRUE(OverlayKeyBefore(kOverlayKeyControlled, other) && OverlayKeyBefore(kOverlayKeyModified, other))
            << other;
    EXPECT_TRUE(OverlayKeyBefore(kOverlayKeyControlled, kOverlayKeyModified));
}

// Twenty identifiers of other programs, leading spaces of several widths, and the module's two.
std::vector<std::wstring> Registry(int widerThanOurs) {
    std::vector<std::wstring> names = {kOverlayKeyModified, kOverlayKeyControlled};
    for (int i = 0; i < 20; ++i) {
        const int spaces = i < widerThanOurs ? 7 + i % 3 : i % 6;
        names.push_back(std::wstring(static_cast<size_t>(spaces), L' ') + L"Other" + std::to_wstring(i));
    }
    return names;
}

TEST(OverlayOrder, TellsWhetherBothOfTheModulesIdentifiersAreLoaded) {
    struct Case {
        int wider;  // identifiers of others with more leading spaces than ours
        bool loaded;
    } cases[] = {{0, true}, {5, true}, {9, true}, {10, false}, {20, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.wider);
        const OverlayLoadOrder order = MakeOverlayLoadOrder(Registry(c.wider));
        ASSERT_EQ(22u, order.names.size());
        ASSERT_TRUE(order.Registered());
        EXPECT_EQ(static_cast<size_t>(c.wider), order.controlled);
        EXPECT_EQ(static_cast<size_t>(c.wider) + 1, order.modified);
        EXPECT_EQ(static_cast<size_t>(c.wider), order.OthersBefore());
        EXPECT_EQ(c.loaded, order.Loaded());
        for (size_t i = 0; i + 1 < order.names.size(); ++i) EXPECT_FALSE(OverlayKeyBefore(order.names[i + 1], order.names[i]));
    }
    // One of the two not registered (or registered under the old names only): not loaded, nothing counted.
    const OverlayLoadOrder old = MakeOverlayLoadOrder({L"CVSControlled", L"CVSModified", kOverlayKeyControlled});
    EXPECT_FALSE(old.Registered());
    EXPECT_FALSE(old.Loaded());
    EXPECT_EQ(OverlayLoadOrder::npos, old.modified);
    EXPECT_EQ(0u, old.OthersBefore());
    // Ours apart, another identifier between them: it counts among those before the later one.
    const OverlayLoadOrder apart = MakeOverlayLoadOrder({kOverlayKeyModified, L"      FerrowD", kOverlayKeyControlled});
    EXPECT_EQ(1u, apart.OthersBefore());
    EXPECT_EQ(kOverlaySlots, 11u);
}

}  // namespace
