// The link from the operations to the console bar of the Explorer window in which the context menu was
// last created on a thread. A link is bound to its window's thread: it is made there (a context-menu
// handler sited by that window), current only for that thread, and every use from another thread is a
// refused no-op, so the window's browser object is never touched off its thread. Each thread's link is
// replaced whenever a handler is sited on it.
#pragma once

#include "common/handles.h"

#include <windows.h>
#include <exdisp.h>

#include <map>
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

    // Each of these refuses (false) on any thread but the one that made the link.
    // Opens the console bar of the window when "AutoShowOutput" was exactly 1; true when it asked.
    bool ShowConsoleIfAuto();
    bool AppendConsoleText(const std::string& text);
    bool ClearConsole();
    // The window has an open console bar with its text control.
    bool HasBar();

    // The calling thread is the link's.
    bool OnItsThread() const { return ::GetCurrentThreadId() == thread_; }

private:
    HWND BrowserWindow();

    ferrow::ComPtr<IWebBrowser2> browser_;
    DWORD autoShow_ = 0;
    DWORD thread_ = 0;
};

// Appends `text` to an edit control as the console does: any selection removed, at the caret. When the
// control would then hold more than `limit` characters, its first lines are replaced by the marker line
// first, so that it keeps about three quarters of the limit and all of the new text (of a text longer
// than that, only its end).
void AppendLimited(HWND edit, const std::string& text, size_t limit);

// With a site: the calling thread's link is dropped and a new one made from the site becomes its current
// one (S_OK); when it cannot be made, the thread has none (E_OUTOFMEMORY, E_UNEXPECTED). Without a site
// nothing changes (S_OK).
HRESULT ReplaceLink(IUnknown* site);
// The calling thread has no link afterwards (its window's operations ended, tests).
void DropLink();
// The calling thread's link, shared; null when it has none.
std::shared_ptr<CConsoleLink> CurrentLink();

// Told by the module when it starts and ends: at the end every thread's link goes (released on the
// module's last thread, as COM allows at that point).
void ModuleEvent(bool starting);

}  // namespace console
