// The three pages of the settings frame: Options (timestamp rule, automatic output, whether the overlay
// identifiers are loaded), Tools (the CVS
// program, the diff program and the text viewer) and About (icon, version, legal notice, web address).
// Each is a COM class of its own with a fixed CLSID (com/guids.h), listed in the object map.
#pragma once

#include "config/property_page.h"
#include "resources/resource.h"
#include "com/com_object.h"
#include "com/guids.h"

#include <string>

namespace config {

// The product's web address shown on the About page.
constexpr const char kProductAddress[] = "https://ferrow.pembrake.example/";

// The Options page's text on the overlay identifiers: whether the module's two are among the first ones
// the shell loads, in each registry view the system's programs use, with the advice to disable others.
std::wstring OverlayLoadText();

class COptionsPage : public ferrow::ComObject<COptionsPage, CPropertyPageImpl<COptionsPage>> {
public:
    // The Options page names the help file of string 145; Tools and About name none.
    static constexpr PageStrings kPage = {IDD_OPTIONS, IDS_OPTIONS_TITLE, IDS_ABOUT_HELPFILE, IDS_OPTIONS_DOCSTRING};

    BOOL OnInitDialog(HWND dialog);
    void OnApply(HWND dialog);
};

class CToolsPage : public ferrow::ComObject<CToolsPage, CPropertyPageImpl<CToolsPage>> {
public:
    static constexpr PageStrings kPage = {IDD_TOOLS, IDS_TOOLS_TITLE, 0, IDS_TOOLS_DOCSTRING};

    BOOL OnInitDialog(HWND dialog);
    void OnApply(HWND dialog);
};

class CAboutPage : public ferrow::ComObject<CAboutPage, CPropertyPageImpl<CAboutPage>> {
public:
    static constexpr PageStrings kPage = {IDD_ABOUT, IDS_ABOUT_TITLE, 0, IDS_ABOUT_DOCSTRING};

    BOOL OnInitDialog(HWND dialog);
    void OnApply(HWND) {}
};

}  // namespace config
