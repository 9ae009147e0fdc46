// CCVSContextMenu: the shell's context-menu handler for files and folders. It records the selection,
// adds the "CVS" submenu whose items follow the state of the first selected item, shows each item's help
// text, carries out the chosen item, links the Explorer window to its console bar, and names the three
// configuration pages.
#pragma once

#include "common/handles.h"
#include "menu/core/menu_rules.h"
#include "com/com_object.h"
#include "com/guids.h"

#include <windows.h>
#include <ocidl.h>
#include <shlobj.h>

#include <string>
#include <vector>

namespace menu {

class CCVSContextMenu : public ferrow::ComObject<CCVSContextMenu, IShellExtInit, IContextMenu, ISpecifyPropertyPages,
                                                 IObjectWithSite, ferrow::ProvideClassInfoImpl<CCVSContextMenu>> {
public:
    CCVSContextMenu();
    ~CCVSContextMenu() override;

    static const CLSID& ClassId() { return CLSID_CCVSContextMenu; }

    // IShellExtInit
    STDMETHODIMP Initialize(PCIDLIST_ABSOLUTE pidlFolder, IDataObject* pdtobj, HKEY hkeyProgID) override;
    // IContextMenu
    STDMETHODIMP QueryContextMenu(HMENU hmenu, UINT indexMenu, UINT idCmdFirst, UINT idCmdLast, UINT uFlags) override;
    STDMETHODIMP InvokeCommand(CMINVOKECOMMANDINFO* pici) override;
    STDMETHODIMP GetCommandString(UINT_PTR idCmd, UINT uType, UINT* pReserved, CHAR* pszName, UINT cchMax) override;
    // ISpecifyPropertyPages
    STDMETHODIMP GetPages(CAUUID* pPages) override;
    // IObjectWithSite
    STDMETHODIMP SetSite(IUnknown* pUnkSite) override;
    STDMETHODIMP GetSite(REFIID riid, void** ppvSite) override;

    // The selection as Initialize recorded it (for the shell host and tests).
    const std::vector<std::string>& Selection() const { return selection_; }
    bool InWorkingCopy() const { return inWorkingCopy_; }

    // What Windows 11's command class (explorer_command.h) runs on a handler object of its own, which no
    // menu shows: the selection recorded as Initialize records it (E_INVALIDARG when nothing is left), the
    // submenu's entries for QueryContextMenu's flags (false: no submenu), and an item carried out as
    // InvokeCommand carries it out. The caller guards against exceptions of the first two.
    HRESULT RecordSelection(std::vector<std::string> paths);
    bool BuildEntries(unsigned flags, std::vector<menu::MenuEntry>& entries) const;
    HRESULT RunItem(unsigned offset, HWND hwnd, bool uiAllowed);

private:
    HRESULT InvokeOffset(unsigned offset, HWND hwnd, bool uiAllowed);
    HRESULT RunCommand(unsigned offset, HWND hwnd, bool uiAllowed);
    // Runs the offset's command; the name of a kNameTooLong refusal goes to `refusedName`.
    HRESULT CarryOut(unsigned offset, std::string& refusedName);
    HRESULT ShowOptions(HWND hwnd);
    // The output window's title: the operation and the folder it works in.
    std::string OutputTitle(unsigned offset) const;

    bool inWorkingCopy_ = false;
    std::vector<std::string> selection_;
    std::string commitMessage_;
    std::string customCommand_ = "$(CVS) update $(Names)";
    std::string tagName_;
    bool branchFlag_ = false;
    bool checkFlag_ = false;
    bool moveFlag_ = false;
    // One image per command offset, and one for the submenu.
    ferrow::UniqueGdiObject bitmaps_[menu::kCommandCount];
    ferrow::UniqueGdiObject submenuBitmap_;
};

}  // namespace menu
