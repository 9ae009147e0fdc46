#include "hostsupport/hdrop_data_object.h"
#include "hostsupport/host_object.h"

#include "common/exception_guard.h"
#include "common/text.h"

#include <shlobj.h>

#include <cstring>
#include <new>

namespace ferrow {
namespace {

class HDropDataObject final : public HostObject<IDataObject> {
public:
    HDropDataObject(std::vector<std::string> paths, bool wide) : paths_(std::move(paths)), wide_(wide) {
        for (const std::string& p : paths_) widePaths_.push_back(AnsiToWide(p));
    }
    explicit HDropDataObject(std::vector<std::wstring> widePaths) : widePaths_(std::move(widePaths)), wide_(true) {}

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        *ppv = nullptr;
        if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IDataObject)) return E_NOINTERFACE;
        *ppv = static_cast<IDataObject*>(this);
        AddRef();
        return S_OK;
    }

    // A new HGLOBAL each call; the receiver releases it with ReleaseStgMedium.
    STDMETHODIMP GetData(FORMATETC* format, STGMEDIUM* medium) override {
        if (!format || !medium) return E_INVALIDARG;
        if (format->cfFormat != CF_HDROP || !(format->tymed & TYMED_HGLOBAL)) return DV_E_FORMATETC;
        return GuardedCall([&] { return Render(medium); });
    }
    HRESULT Render(STGMEDIUM* medium) {
        std::string narrow;
        std::wstring wide;
        for (const std::string& p : paths_) narrow.append(p).push_back('\0');
        for (const std::wstring& p : widePaths_) wide.append(p).push_back(L'\0');
        // The list ends with an empty name; a list without names is that empty name alone ("\0\0"),
        // or the reader runs past the block looking for the end.
        if (narrow.empty()) narrow.push_back('\0');
        if (wide.empty()) wide.push_back(L'\0');
        narrow.push_back('\0');
        wide.push_back(L'\0');
        const size_t bytes = wide_ ? wide.size() * sizeof(wchar_t) : narrow.size();
        HGLOBAL global = ::GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + bytes);
        if (!global) return E_OUTOFMEMORY;
        auto* drop = static_cast<DROPFILES*>(::GlobalLock(global));
        drop->pFiles = sizeof(DROPFILES);
        drop->fWide = wide_;
        std::memcpy(drop + 1, wide_ ? static_cast<const void*>(wide.data()) : narrow.data(), bytes);
        ::GlobalUnlock(global);
        medium->tymed = TYMED_HGLOBAL;
        medium->hGlobal = global;
        medium->pUnkForRelease = nullptr;
        return S_OK;
    }
    STDMETHODIMP GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
    STDMETHODIMP QueryGetData(FORMATETC* format) override {
        return format && format->cfFormat == CF_HDROP && (format->tymed & TYMED_HGLOBAL) ? S_OK : DV_E_FORMATETC;
    }
    STDMETHODIMP GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override {
        if (out) out->ptd = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP EnumFormatEtc(DWORD, IEnumFORMATETC**) override { return E_NOTIMPL; }
    STDMETHODIMP DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override { return OLE_E_ADVISENOTSUPPORTED; }
    STDMETHODIMP DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
    STDMETHODIMP EnumDAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }

private:
    std::vector<std::string> paths_;
    std::vector<std::wstring> widePaths_;
    bool wide_;
};

}  // namespace

ComPtr<IDataObject> MakeHDropDataObject(const std::vector<std::string>& paths, bool wide) {
    return ComPtr<IDataObject>::Attach(new (std::nothrow) HDropDataObject(paths, wide));
}

ComPtr<IDataObject> MakeHDropDataObject(const std::vector<std::wstring>& widePaths) {
    return ComPtr<IDataObject>::Attach(new (std::nothrow) HDropDataObject(widePaths));
}

}  // namespace ferrow
