// The object map: the classes the module serves, in their fixed order. One line per class; a class whose
// code has not landed is simply not listed (nothing half-built is registered). See HACKING.md.
#include "com/object_map.h"

#include "config/settings_pages.h"
#include "console/console_bar.h"
#include "console/console_link.h"
#include "resources/resource.h"
#include "com/com_object.h"
#include "com/guids.h"
#include "menu/context_menu.h"
#include "menu/explorer_command.h"
#include "propsheet/prop_sheet_ext.h"
#include "views/column_provider.h"
#include "views/icon_overlay.h"

#include <shlguid.h>

namespace ferrow {
namespace {

// clang-format off
const ObjectEntry kObjectMap[] = {
    // CLSID, ProgID, version-independent ProgID, friendly name, friendly-name string id,
    // type-library description, creator, component categories, module start/end hook
    {&CLSID_CCVSColumnProvider, L"Ferrow.CVSColumnProvider.1", L"Ferrow.CVSColumnProvider", L"CCVSColumnProvider Object", 0,
     L"Pembrake CVSColumnProvider Class", &CreateInstance<CCVSColumnProvider>, {}, nullptr},
    {&CLSID_CConsoleBar, L"Ferrow.ConsoleBar.1", L"Ferrow.ConsoleBar", nullptr, IDS_CONSOLE_TITLE,
     L"ConsoleBar Class", &CreateInstance<console::CConsoleBar>, {&CATID_CommBand}, &console::ModuleEvent},
    {&CLSID_CCVSContextMenu, L"Ferrow.CVSContextMenu.1", L"Ferrow.CVSContextMenu", L"CCVSContextMenu Object", 0,
     L"Pembrake CVSContextMenu Class", &CreateInstance<menu::CCVSContextMenu>, {}, nullptr},
    {&CLSID_CAboutPage, L"Ferrow.AboutPage.1", L"Ferrow.AboutPage", L"CAboutPage Object", 0,
     L"AboutPage Class", &CreateInstance<config::CAboutPage>, {}, nullptr},
    {&CLSID_CCVSIconOverlay, L"Ferrow.CVSIconOverlay.1", L"Ferrow.CVSIconOverlay", L"CCVSIconOverlay Object", 0,
     L"Pembrake CVSIconOverlay Class", &CreateInstance<CCVSIconOverlay>, {}, nullptr},
    {&CLSID_CCVSModifiedIconOverlay, L"Ferrow.CVSModifiedIconOverlay.1", L"Ferrow.CVSModifiedIconOverlay",
     L"CCVSModifiedIconOverlay Object", 0, L"Pembrake CVSModifiedIconOverlay Class",
     &CreateInstance<CCVSModifiedIconOverlay>, {}, nullptr},
    {&CLSID_CCVSPropSheetExt, L"Ferrow.CVSPropSheetExt.1", L"Ferrow.CVSPropSheetExt", L"CCVSPropSheetExt Object", 0,
     L"Pembrake CVSPropSheetExt Class", &CreateInstance<propsheet::CCVSPropSheetExt>, {}, nullptr},
    {&CLSID_COptionsPage, L"Ferrow.OptionsPage.1", L"Ferrow.OptionsPage", L"COptionsPage Object", 0,
     L"OptionsPage Class", &CreateInstance<config::COptionsPage>, {}, nullptr},
    {&CLSID_CToolsPage, L"Ferrow.ToolsPage.1", L"Ferrow.ToolsPage", L"CToolsPage Object", 0,
     L"Pembrake ToolsPage Class", &CreateInstance<config::CToolsPage>, {}, nullptr},
    {&CLSID_CExplorerCommand, L"Ferrow.ExplorerCommand.1", L"Ferrow.ExplorerCommand", L"CExplorerCommand Object", 0,
     L"Pembrake ExplorerCommand Class", &CreateInstance<menu::CExplorerCommand>, {}, nullptr,
     &CLSID_CExplorerCommandPackaged},
    {nullptr, nullptr, nullptr, nullptr, 0, nullptr, nullptr, {}, nullptr}  // end marker
};
// clang-format on

constexpr size_t kObjectCount = sizeof(kObjectMap) / sizeof(kObjectMap[0]) - 1;

}  // namespace

const ObjectEntry* ObjectMapBegin() noexcept { return kObjectMap; }
size_t ObjectMapSize() noexcept { return kObjectCount; }

const ObjectEntry* FindObjectEntry(REFCLSID clsid) noexcept {
    for (size_t i = 0; i < kObjectCount; ++i) {
        if (IsEqualCLSID(*kObjectMap[i].clsid, clsid)) return &kObjectMap[i];
    }
    return nullptr;
}

}  // namespace ferrow
