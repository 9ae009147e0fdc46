// CExplorerCommand: the "CVS" entry of Windows 11's context menu (a package with external location names
// this class; see installer/AppxManifest.xml). Its subcommands are the items of the classic submenu, from
// the same menu rules; invoking one starts Ferrow.exe with the operation and the selection and returns.
//
// Every call decides from its own items and the command's site alone, so that the shell may call in any
// order, on any object and any thread: nothing is kept between calls but the site the shell set. Where the
// shell shows the classic menu ("Show more options"; its site has a window that is not the navigation
// pane's tree), the entry hides itself: the classic handler shows the submenu there.
//
// Threading: apartment-threaded like every class of the module. The shell may ask GetState again on a
// thread of its own after E_PENDING; the site pointer is the only thing the calls share, copied under a
// lock that is never held across a call to another object.
#pragma once

#include "com/com_object.h"
#include "com/guids.h"
#include "common/handles.h"

#include <windows.h>
#include <ocidl.h>
#include <shobjidl.h>

#include <mutex>
#include <string>

namespace menu {

// What a subcommand's Invoke does: starts `program` (Ferrow.exe beside the module when empty) with the
// command's verb, the call's selection (decided as for its state) and the site's Explorer window, and
// returns without waiting; the process's handle goes to `process` when asked for. E_INVALIDARG when the
// call has nothing to act on (the classic menu's site, a tree point on no node, only "CVS" folders).
HRESULT StartCommand(unsigned offset, IShellItemArray* items, IUnknown* site, const std::wstring& program = {},
                     HANDLE* process = nullptr);

class CExplorerCommand : public ferrow::ComObject<CExplorerCommand, IExplorerCommand, IObjectWithSite,
                                                  ferrow::ProvideClassInfoImpl<CExplorerCommand>> {
public:
    CExplorerCommand();
    ~CExplorerCommand() override;

    static const CLSID& ClassId() { return CLSID_CExplorerCommand; }

    // IExplorerCommand
    STDMETHODIMP GetTitle(IShellItemArray* items, LPWSTR* name) override;
    STDMETHODIMP GetIcon(IShellItemArray* items, LPWSTR* icon) override;
    STDMETHODIMP GetToolTip(IShellItemArray* items, LPWSTR* tip) override;
    STDMETHODIMP GetCanonicalName(GUID* name) override;
    STDMETHODIMP GetState(IShellItemArray* items, BOOL okToBeSlow, EXPCMDSTATE* state) override;
    STDMETHODIMP Invoke(IShellItemArray* items, IBindCtx* context) override;
    STDMETHODIMP GetFlags(EXPCMDFLAGS* flags) override;
    STDMETHODIMP EnumSubCommands(IEnumExplorerCommand** commands) override;
    // IObjectWithSite
    STDMETHODIMP SetSite(IUnknown* site) override;
    STDMETHODIMP GetSite(REFIID riid, void** ppv) override;

private:
    ferrow::ComPtr<IUnknown> Site();

    std::mutex siteLock_;
    ferrow::ComPtr<IUnknown> site_;
};

}  // namespace menu
