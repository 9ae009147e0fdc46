// CExplorerCommand: the "CVS" entry of Windows 11's context menu (a package with external location names
// this class; see installer/AppxManifest.xml). Its subcommands are the items of the classic submenu, from
// the same menu model and the same selection rules, and invoking one runs the classic handler's operation:
// the command object keeps a CCVSContextMenu of its own (never shown in a menu) that holds the selection,
// the dialog values and the operations.
//
// Threading: apartment-threaded like every class of the module; the shell may ask GetState again on a
// thread of its own after E_PENDING, so what the calls share is guarded.
#pragma once

#include "com/com_object.h"
#include "com/guids.h"

#include <windows.h>
#include <ocidl.h>
#include <shobjidl.h>

#include <memory>

namespace menu {

struct CommandSession;

class CExplorerCommand : public ferrow::ComObject<CExplorerCommand, IExplorerCommand, IObjectWithSite,
                                                  ferrow::ProvideClassInfoImpl<CExplorerCommand>> {
public:
    CExplorerCommand();
    ~CExplorerCommand() override;

    static const CLSID& ClassId() { return CLSID_CExplorerCommand; }
    HRESULT FinalConstruct();

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
    std::shared_ptr<CommandSession> session_;
};

}  // namespace menu
