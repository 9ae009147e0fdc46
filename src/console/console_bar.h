// The Explorer band "CVS Output": one multi-line edit control that shows the commands the extension runs
// and their output. Explorer creates it when the bar is opened, sites it (the edit control is created and
// the band registers itself as the window property "ConsoleBar" on the Explorer window), shows, closes
// and unsites it. The property is removed again when the band is unsited, closed or destroyed, so it never
// names a band that is gone. Producers reach the band only through the console link (console_link.h).
#pragma once

#include "com/com_object.h"

#include <windows.h>
#include <ocidl.h>
#include <shlobj.h>

#include <string>

namespace console {

// The window property on the Explorer window that names its console bar.
constexpr const char kConsoleBarProperty[] = "ConsoleBar";

class CConsoleBar : public ferrow::ComObject<CConsoleBar, IObjectWithSite, IPersistStream, IDeskBand, IInputObject,
                                             ferrow::ProvideClassInfoImpl<CConsoleBar>> {
public:
    static const CLSID& ClassId() noexcept;

    // IPersist, IDockingWindow and IOleWindow, the base interfaces of the listed ones.
    void* QueryOtherInterface(REFIID riid);

    // IObjectWithSite
    STDMETHODIMP SetSite(IUnknown* site) override;
    STDMETHODIMP GetSite(REFIID riid, void** out) override;
    // IPersist / IPersistStream: the band has nothing to keep.
    STDMETHODIMP GetClassID(CLSID* out) override;
    STDMETHODIMP IsDirty() override { return S_FALSE; }
    STDMETHODIMP Load(IStream*) override { return S_OK; }
    STDMETHODIMP Save(IStream*, BOOL) override { return S_OK; }
    STDMETHODIMP GetSizeMax(ULARGE_INTEGER*) override { return E_NOTIMPL; }
    // IOleWindow / IDockingWindow / IDeskBand
    STDMETHODIMP GetWindow(HWND* out) override;
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP ShowDW(BOOL show) override;
    STDMETHODIMP CloseDW(DWORD reserved) override;
    STDMETHODIMP ResizeBorderDW(LPCRECT, IUnknown*, BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP GetBandInfo(DWORD bandId, DWORD viewMode, DESKBANDINFO* info) override;
    // IInputObject
    STDMETHODIMP UIActivateIO(BOOL activate, MSG* msg) override;
    STDMETHODIMP HasFocusIO() override;
    STDMETHODIMP TranslateAcceleratorIO(MSG*) override { return S_FALSE; }

    // Created through ComObject::CreateInstance only.
    CConsoleBar() = default;
    ~CConsoleBar() override;

private:
    friend bool FindConsoleEdit(HWND explorer, HWND& edit);
    static LRESULT CALLBACK EditProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                     DWORD_PTR data);
    void OnFocusChange(bool focused);
    void RegisterProperty(HWND explorer);
    void RemoveProperty();
    void DestroyEdit();

    IUnknown* site_ = nullptr;
    HWND edit_ = nullptr;
    bool focus_ = false;
    DWORD bandId_ = 0;
    DWORD viewMode_ = 0;
    HWND propertyWindow_ = nullptr;  // the Explorer window that holds our property
};

// What the console link asks of the bar: whether a console bar names itself on the Explorer window, and
// its edit control (null while it has none). Any thread: the bar's property is read under the bar's lock,
// so a band that is going is never touched; the control may still go at once, so callers only send it
// messages (a window that is gone takes nothing).
bool FindConsoleEdit(HWND explorer, HWND& edit);

}  // namespace console
