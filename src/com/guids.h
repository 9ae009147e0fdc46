// Every fixed identifier of the module, minted once and never to be changed: registrations in the field,
// stored settings and the type library depend on them.
//
// Each identifier is written exactly once, as text. The C++ constants below are made from that text at
// compile time, the type library's IDL uses the same macros (widl reads this header), and the registrar
// receives the texts as replacements for the module's registration script.
#pragma once

// The module identity: the module's AppID and the identifier of its type library.
#define FERROW_GUID_TEXT_MODULE "40800506-71FE-4869-A7C2-03863B226599"

// The classes of the object map.
#define FERROW_GUID_TEXT_CCVSColumnProvider "9FB777FB-1AC7-495C-BBE9-A39E85A5FCAE"
#define FERROW_GUID_TEXT_CConsoleBar "25124258-E570-451B-A426-60B1E8EEE521"
#define FERROW_GUID_TEXT_CCVSContextMenu "5851D277-E43B-4811-BE05-3073BBC7F1DA"
#define FERROW_GUID_TEXT_CAboutPage "9F950AC8-1C2D-451D-943D-D0E646776D7B"
#define FERROW_GUID_TEXT_CCVSIconOverlay "F7A5E93F-93B2-4304-A9CB-86A84EA1DB33"
#define FERROW_GUID_TEXT_CCVSModifiedIconOverlay "0A340D40-6A03-4DDA-B9E8-BE51AE1BA8A5"
#define FERROW_GUID_TEXT_CCVSPropSheetExt "062AFFA4-FCBD-4389-AE4D-C77A06CA08FF"
#define FERROW_GUID_TEXT_COptionsPage "50ACE1C0-2F93-4C57-87BF-02DC2ECEA7C5"
#define FERROW_GUID_TEXT_CToolsPage "CC59A280-A95E-4D46-9EB9-E8D732F19ABE"
// The command of Windows 11's context menu; the package manifest names it too (installer/AppxManifest.xml).
#define FERROW_GUID_TEXT_CExplorerCommand "733B3C6D-A72D-4827-8A54-38FF44108CC9"
// The same command as the package declares it (installer/AppxManifest.xml): only the package names it, never
// the registry, so that Windows 11 activates the package's class and not the one registered in HKCR.
#define FERROW_GUID_TEXT_CExplorerCommandPackaged "17853DB8-457B-404E-A5D3-776B34461DD7"

// Only ever written as a key name under "Browser Helper Objects"; no class of the module carries it.
#define FERROW_GUID_TEXT_BROWSER_HELPER "B2FE5E22-1078-424C-958E-C7E8FB09B2D5"

// The property set of the column provider's own columns (status, tag, options); not a standard set.
#define FERROW_GUID_TEXT_COLUMN_FMTID "B6BC5E2A-2903-46E1-8BA0-7ED04FBA882E"

#ifndef __WIDL__

#include <guiddef.h>

namespace ferrow {
namespace detail {

constexpr unsigned HexDigit(char c) {
    return (c >= '0' && c <= '9')   ? unsigned(c - '0')
           : (c >= 'A' && c <= 'F') ? unsigned(c - 'A' + 10)
           : (c >= 'a' && c <= 'f') ? unsigned(c - 'a' + 10)
                                    : throw "not a hexadecimal digit";  // a compile error in constant evaluation
}

constexpr unsigned long HexValue(const char* text, int digits) {
    unsigned long value = 0;
    for (int i = 0; i < digits; ++i) value = (value << 4) | HexDigit(text[i]);
    return value;
}

// "XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX" (36 characters, no braces).
constexpr GUID GuidFromText(const char (&t)[37]) {
    if (t[8] != '-' || t[13] != '-' || t[18] != '-' || t[23] != '-') throw "malformed GUID text";
    GUID g{};
    g.Data1 = HexValue(t, 8);
    g.Data2 = static_cast<unsigned short>(HexValue(t + 9, 4));
    g.Data3 = static_cast<unsigned short>(HexValue(t + 14, 4));
    g.Data4[0] = static_cast<unsigned char>(HexValue(t + 19, 2));
    g.Data4[1] = static_cast<unsigned char>(HexValue(t + 21, 2));
    for (int i = 0; i < 6; ++i) g.Data4[2 + i] = static_cast<unsigned char>(HexValue(t + 24 + 2 * i, 2));
    return g;
}

}  // namespace detail

inline constexpr GUID kModuleId = detail::GuidFromText(FERROW_GUID_TEXT_MODULE);
inline constexpr CLSID kBrowserHelperClsid = detail::GuidFromText(FERROW_GUID_TEXT_BROWSER_HELPER);
inline constexpr GUID kColumnFormatId = detail::GuidFromText(FERROW_GUID_TEXT_COLUMN_FMTID);

}  // namespace ferrow

inline constexpr CLSID CLSID_CCVSColumnProvider = ferrow::detail::GuidFromText(FERROW_GUID_TEXT_CCVSColumnProvider);
inline constexpr CLSID CLSID_CConsoleBar = ferrow::detail::GuidFromText(FERROW_GUID_TEXT_CConsoleBar);
inline constexpr CLSID CLSID_CCVSContextMenu = ferrow::detail::GuidFromText(FERROW_GUID_TEXT_CCVSContextMenu);
inline constexpr CLSID CLSID_CAboutPage = ferrow::detail::GuidFromText(FERROW_GUID_TEXT_CAboutPage);
inline constexpr CLSID CLSID_CCVSIconOverlay = ferrow::detail::GuidFromText(FERROW_GUID_TEXT_CCVSIconOverlay);
inline constexpr CLSID CLSID_CCVSModifiedIconOverlay =
    ferrow::detail::GuidFromText(FERROW_GUID_TEXT_CCVSModifiedIconOverlay);
inline constexpr CLSID CLSID_CCVSPropSheetExt = ferrow::detail::GuidFromText(FERROW_GUID_TEXT_CCVSPropSheetExt);
inline constexpr CLSID CLSID_COptionsPage = ferrow::detail::GuidFromText(FERROW_GUID_TEXT_COptionsPage);
inline constexpr CLSID CLSID_CToolsPage = ferrow::detail::GuidFromText(FERROW_GUID_TEXT_CToolsPage);
inline constexpr CLSID CLSID_CExplorerCommand = ferrow::detail::GuidFromText(FERROW_GUID_TEXT_CExplorerCommand);
inline constexpr CLSID CLSID_CExplorerCommandPackaged =
    ferrow::detail::GuidFromText(FERROW_GUID_TEXT_CExplorerCommandPackaged);

#endif  // __WIDL__
