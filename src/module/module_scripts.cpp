#include "module/module_scripts.h"

#include "common/module_instance.h"
#include "resources/resource.h"
#include "com/com_object.h"
#include "com/core/overlay_order.h"
#include "com/guids.h"
#include "com/object_map.h"
#include "com/registrar.h"

namespace ferrow {
namespace {

// The ProgID keys and the CLSID key are the class's own; CLSID itself stays.
const wchar_t kClassScript[] = LR"(HKCR
{
	ForceRemove '%PROGID%' = s '%FriendlyName%'
	{
		CLSID = s '%CLSID%'
	}
	ForceRemove '%VIPROGID%' = s '%FriendlyName%'
	{
		CLSID = s '%CLSID%'
		CurVer = s '%PROGID%'
	}
	NoRemove CLSID
	{
		ForceRemove '%CLSID%' = s '%FriendlyName%'
		{
			ProgID = s '%PROGID%'
			VersionIndependentProgID = s '%VIPROGID%'
			Programmable
			'%MODULETYPE%' = s '%Module%'
			{
				val ThreadingModel = s 'apartment'
			}
			val AppID = s '%APPID%'
			TypeLib = s '%MODULEGUID%'
		}
	}
}
)";

// The fixed identifiers the module script names, as replacements "%CLSID_<Class>%" ("{...}").
const struct {
    const wchar_t* name;
    const char* text;
} kGuidReplacements[] = {
    {L"CLSID_CCVSColumnProvider", FERROW_GUID_TEXT_CCVSColumnProvider},
    {L"CLSID_CConsoleBar", FERROW_GUID_TEXT_CConsoleBar},
    {L"CLSID_CCVSContextMenu", FERROW_GUID_TEXT_CCVSContextMenu},
    {L"CLSID_CAboutPage", FERROW_GUID_TEXT_CAboutPage},
    {L"CLSID_CCVSIconOverlay", FERROW_GUID_TEXT_CCVSIconOverlay},
    {L"CLSID_CCVSModifiedIconOverlay", FERROW_GUID_TEXT_CCVSModifiedIconOverlay},
    {L"CLSID_CCVSPropSheetExt", FERROW_GUID_TEXT_CCVSPropSheetExt},
    {L"CLSID_COptionsPage", FERROW_GUID_TEXT_COptionsPage},
    {L"CLSID_CToolsPage", FERROW_GUID_TEXT_CToolsPage},
    {L"CLSID_CExplorerCommand", FERROW_GUID_TEXT_CExplorerCommand},
    {L"CLSID_BROWSER_HELPER", FERROW_GUID_TEXT_BROWSER_HELPER},
};

std::wstring Braced(const char* text) {
    std::wstring result = L"{";
    for (const char* p = text; *p; ++p) result += static_cast<wchar_t>(*p);
    return result + L"}";
}

}  // namespace

const wchar_t* ClassRegistryScript() noexcept { return kClassScript; }

HRESULT LoadModuleRegistryScript(std::wstring& text) noexcept { return LoadRegistryScriptResource(IDR_FERROW, text); }

std::wstring GuidString(REFGUID guid) {
    wchar_t text[64] = {};
    ::StringFromGUID2(guid, text, 64);
    return text;
}

HRESULT AddModuleReplacements(const std::wstring& modulePath, RegistryReplacements& replacements) {
    replacements.Add(L"Module", modulePath);
    replacements.Add(L"Module_Raw", modulePath);
    replacements.Add(L"MODULETYPE", L"InprocServer32");
    replacements.Add(L"MODULEGUID", GuidString(Module().Identity()));
    for (const auto& guid : kGuidReplacements) replacements.Add(guid.name, Braced(guid.text));
    replacements.Add(L"OVERLAY_CONTROLLED", kOverlayKeyControlled);
    replacements.Add(L"OVERLAY_MODIFIED", kOverlayKeyModified);
    return Module().AddCommonRGSReplacements(replacements);
}

HRESULT AddClassReplacements(const ObjectEntry& entry, bool registering, RegistryReplacements& replacements) {
    std::wstring friendlyName = entry.friendlyName ? entry.friendlyName : L"";
    if (entry.friendlyNameId != 0 && registering) {
        friendlyName = LoadResStringW(entry.friendlyNameId);
        if (friendlyName.empty()) return HRESULT_FROM_WIN32(ERROR_RESOURCE_NAME_NOT_FOUND);
    }
    replacements.Add(L"FriendlyName", friendlyName);
    replacements.Add(L"CLSID", GuidString(*entry.clsid));
    replacements.Add(L"PROGID", entry.progId);
    replacements.Add(L"VIPROGID", entry.versionIndependentProgId);
    return S_OK;
}

}  // namespace ferrow
