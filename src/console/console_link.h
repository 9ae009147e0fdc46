// The link from the operations to the console bar of the Explorer window in which the context menu was
// last created. One link is current per process; it is replaced whenever a context-menu handler is
// sited. Users hold the link through shared ownership, so a link replaced on one thread while another
// thread writes through it lives until that write ends.
#pragma once

#include "common/handles.h"

#include <windows.h>
#include <exdisp.h>

#include <memory>
#include <mutex>
#include <string>

namespace console {

class CConsoleLink {
public:
    // Reads "AutoShowOutput" and asks the site for the window's browser. Does not make itself current:
    // use console::ReplaceLink.
    explicit CConsoleLink(IUnknown* site);
    ~CConsoleLink() = default;
    CConsoleLink(const CConsoleLink&) = delete;
    CConsoleLink& operator=(const CConsoleLink&) = delete;

    // Opens the console bar of the window when "AutoShowOutput" was exactly 1; true when it asked.
    bool ShowConsoleIfAuto();
    bool AppendConsoleText(const std::string& text);
    bool ClearConsole();
    // The window has an open console bar with its text control.
    bool HasBar();

private:
    HWND BrowserWindow();

    ferrow::ComPtr<IWebBrowser2> browser_;
    DWORD autoShow_ = 0;
};

// Appends `text` to an edit control as the console does: any selection removed, at the caret. When the
// control would then hold more than `limit` characters, its first lines are replaced by the marker line
// first, so that it keeps about three quarters of the limit and all of the new text (of a text longer
// than that, only its end).
void AppendLimited(HWND edit, const std::string& text, size_t limit);

// With a site: the current link is dropped and a new one made from the site becomes current (S_OK); when
// it cannot be made, none is current (E_OUTOFMEMORY, E_UNEXPECTED). Without a site nothing changes (S_OK).
HRESULT ReplaceLink(IUnknown* site);
// No link is current afterwards (module end, tests).
void DropLink();
// The current link, shared; null when there is none.
std::shared_ptr<CConsoleLink> CurrentLink();

// Told by the module when it starts and ends: at the end the current link goes.
void ModuleEvent(bool starting);

}  // namespace console
