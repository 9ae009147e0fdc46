// A minimal stand-in for an Explorer window that hosts a band the way Explorer does: a top-level frame,
// a container child, and the band's site window inside it, so that the site window's grandparent is the
// frame; a site object that answers IOleWindow (the site window), IInputObjectSite and IServiceProvider
// (SID_SWebBrowserApp: a browser object whose get_HWND is the frame and whose ShowBrowserBar opens a
// band). Used by the shell host tool and the tests; the extension itself never links it in.
#pragma once

#include "common/handles.h"

#include <windows.h>
#include <exdisp.h>
#include <shlobj.h>

#include <functional>
#include <string>

class CBandHost {
public:
    // Creates a band object for a CLSID (for ShowBrowserBar); null result when it cannot.
    using BandFactory = std::function<HRESULT(REFCLSID clsid, IUnknown** band)>;

    explicit CBandHost(BandFactory factory = nullptr, const char* title = "Ferrow band host");
    ~CBandHost();
    CBandHost(const CBandHost&) = delete;
    CBandHost& operator=(const CBandHost&) = delete;

    HWND Frame() const { return frame_; }
    HWND SiteWindow() const { return siteWindow_; }
    // The site a band or a context-menu handler is given (one reference owned by the host).
    IUnknown* Site() const;

    // Sites the band, shows it, asks its band information and lays it out. Keeps a reference.
    HRESULT OpenBand(IUnknown* band);
    // As Explorer closes a bar: ShowDW(FALSE), CloseDW, SetSite(null), release.
    HRESULT CloseBand();
    IDeskBand* Band() const { return band_.Get(); }

    // What the host saw.
    int ShowBrowserBarCalls() const { return showBarCalls_; }
    const std::wstring& LastShownBar() const { return lastShownBar_; }
    int FocusChanges() const { return focusChanges_; }
    bool LastFocus() const { return lastFocus_; }

    // Runs the message loop until the frame is closed.
    void RunMessageLoop();
    // Dispatches the messages that are waiting.
    static void PumpMessages();

private:
    class SiteObject;
    class BrowserObject;
    friend class SiteObject;
    friend class BrowserObject;

    static LRESULT CALLBACK FrameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void Layout();
    HRESULT OnShowBrowserBar(VARIANT* clsid, VARIANT* show);

    BandFactory factory_;
    HWND frame_ = nullptr;
    HWND container_ = nullptr;
    HWND siteWindow_ = nullptr;
    SiteObject* site_ = nullptr;
    BrowserObject* browser_ = nullptr;
    ferrow::ComPtr<IDeskBand> band_;
    int showBarCalls_ = 0;
    std::wstring lastShownBar_;
    int focusChanges_ = 0;
    bool lastFocus_ = false;
};
