// The IPropertyPage machinery shared by the settings frame's pages (Options, Tools, About): page site,
// objects, page information measured from the dialog template, a modeless child dialog while active,
// the dirty flag, Apply, help and keyboard handling.
//
// A page is written as
//   class COptionsPage : public ferrow::ComObject<COptionsPage, config::CPropertyPageImpl<COptionsPage>> {
//   public:
//       static constexpr config::PageStrings kPage = {IDD_OPTIONS, IDS_OPTIONS_TITLE, IDS_ABOUT_HELPFILE,
//                                                     IDS_OPTIONS_DOCSTRING};
//       BOOL OnInitDialog(HWND dialog);   // load the controls; TRUE for the default focus
//       void OnApply(HWND dialog);        // write the settings (called only while the dialog exists)
//   };
#pragma once

#include "common/dialog.h"
#include "common/exception_guard.h"
#include "common/handles.h"

#include <windows.h>
#include <ocidl.h>
#include <olectl.h>

#include <string>
#include <vector>

namespace config {

// The resources of a page: its dialog template and string ids (0 = none, for the help file).
struct PageStrings {
    UINT dialogId;
    UINT titleId;
    UINT helpFileId;
    UINT docStringId;
};

// The size of a dialog template in pixels, measured in the template's own font the way the dialog
// manager converts dialog units. Fails when the template is missing or malformed.
HRESULT GetDialogTemplateSize(HINSTANCE instance, UINT dialogId, SIZE& size) noexcept;

// A string-table text as a task-memory wide string (null for id 0). E_OUTOFMEMORY when allocation fails.
HRESULT LoadTaskMemString(UINT id, LPOLESTR* out) noexcept;

// The help file path handed to the help system: the directory, "\" and the file name (the name alone
// when the directory is null or empty), in the thread's ANSI code page.
std::string MakeHelpPath(LPCOLESTR directory, const std::wstring& file);

// The help file a page's Help opens: in the directory the frame names, else beside the module; empty
// when neither holds it (then Help does nothing).
std::string FindHelpFile(LPCOLESTR directory, const std::wstring& file);

// The topic of the help file that Help opens (the settings pages).
constexpr const char kHelpTopic[] = "settings.htm";

// The page's part of IPropertyPage that does not depend on the page class.
class CPropertyPageState {
public:
    CPropertyPageState() = default;
    CPropertyPageState(const CPropertyPageState&) = delete;
    CPropertyPageState& operator=(const CPropertyPageState&) = delete;
    ~CPropertyPageState();

    HRESULT SetPageSite(IPropertyPageSite* site) noexcept;
    HRESULT Activate(ferrow::CDialog& dialog, HWND parent, LPCRECT rect) noexcept;
    HRESULT Deactivate() noexcept;
    HRESULT GetPageInfo(const PageStrings& page, PROPPAGEINFO* info) noexcept;
    HRESULT SetObjects(ULONG count, IUnknown** objects) noexcept;
    HRESULT Show(UINT command) noexcept;
    HRESULT Move(LPCRECT rect) noexcept;
    HRESULT Help(const PageStrings& page, LPCOLESTR directory) noexcept;
    HRESULT TranslateAccelerator(MSG* message) noexcept;

    HWND Window() const noexcept { return window_; }
    bool Dirty() const noexcept { return dirty_; }
    void SetDirty(bool dirty) noexcept { dirty_ = dirty; }
    ULONG ObjectCount() const noexcept { return static_cast<ULONG>(objects_.size()); }
    SIZE Size() const noexcept { return size_; }

    // The page dialog's procedure, common part: records the window on WM_INITDIALOG and keeps
    // WS_EX_CONTROLPARENT in the extended style. Returns true when it handled the message.
    bool HandleCommonMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) noexcept;

private:
    void ReleaseObjects() noexcept;

    ferrow::ComPtr<IPropertyPageSite> site_;
    std::vector<IUnknown*> objects_;  // one reference each
    SIZE size_ = {0, 0};
    bool dirty_ = false;
    HWND window_ = nullptr;
};

template <typename Derived>
class CPropertyPageImpl : public IPropertyPage {
public:
    using ComInterface = IPropertyPage;

    STDMETHODIMP SetPageSite(IPropertyPageSite* site) override { return state_.SetPageSite(site); }
    STDMETHODIMP Activate(HWND parent, LPCRECT rect, BOOL) override {
        return state_.Activate(dialog_, parent, rect);
    }
    STDMETHODIMP Deactivate() override { return state_.Deactivate(); }
    STDMETHODIMP GetPageInfo(PROPPAGEINFO* info) override { return state_.GetPageInfo(Derived::kPage, info); }
    STDMETHODIMP SetObjects(ULONG count, IUnknown** objects) override { return state_.SetObjects(count, objects); }
    STDMETHODIMP Show(UINT command) override { return state_.Show(command); }
    STDMETHODIMP Move(LPCRECT rect) override { return state_.Move(rect); }
    STDMETHODIMP IsPageDirty() override { return state_.Dirty() ? S_OK : S_FALSE; }
    STDMETHODIMP Apply() override {
        // A page that was never shown has nothing to write: the stored settings stay as they are.
        if (HWND dialog = state_.Window()) {
            ferrow::GuardedAnswer(false, [&] {
                static_cast<Derived*>(this)->OnApply(dialog);
                return true;
            });
        }
        state_.SetDirty(false);
        return S_OK;
    }
    STDMETHODIMP Help(LPCOLESTR directory) override { return state_.Help(Derived::kPage, directory); }
    STDMETHODIMP TranslateAccelerator(MSG* message) override { return state_.TranslateAccelerator(message); }

    const CPropertyPageState& PageState() const noexcept { return state_; }

private:
    // The page's dialog: the page class fills it; the state answers the messages every page shares.
    class PageDialog : public ferrow::CDialog {
    public:
        explicit PageDialog(CPropertyPageImpl& page) noexcept : CDialog(Derived::kPage.dialogId), page_(page) {}

    protected:
        BOOL OnInitDialog() override { return static_cast<Derived&>(page_).OnInitDialog(Window()); }
        bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
            return page_.state_.HandleCommonMessage(Window(), message, wParam, lParam);
        }

    private:
        CPropertyPageImpl& page_;
    };

    CPropertyPageState state_;
    PageDialog dialog_{*this};  // after state_: goes first, before the state takes the window down
};

}  // namespace config
