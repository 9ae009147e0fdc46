#include "menu_host.h"

#include "server/guids.h"

#include <cstring>

namespace ferrowsh {
namespace menu_host {
namespace {

// The selection as Explorer hands it over: CF_HDROP in an HGLOBAL, ANSI file names.
class DropData final : public IDataObject {
public:
    explicit DropData(std::vector<std::string> paths) : paths_(std::move(paths)) {}

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        *ppv = nullptr;
        if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IDataObject)) return E_NOINTERFACE;
        *ppv = static_cast<IDataObject*>(this);
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++refs_; }
    STDMETHODIMP_(ULONG) Release() override {
        const ULONG n = --refs_;
        if (n == 0) delete this;
        return n;
    }
    STDMETHODIMP GetData(FORMATETC* format, STGMEDIUM* medium) override {
        if (!format || !medium) return E_INVALIDARG;
        if (format->cfFormat != CF_HDROP || !(format->tymed & TYMED_HGLOBAL)) return DV_E_FORMATETC;
        size_t size = sizeof(DROPFILES) + 1;
        for (const std::string& p : paths_) size += p.size() + 1;
        HGLOBAL global = ::GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
        if (!global) return E_OUTOFMEMORY;
        auto* drop = static_cast<DROPFILES*>(::GlobalLock(global));
        drop->pFiles = sizeof(DROPFILES);
        char* out = reinterpret_cast<char*>(drop + 1);
        for (const std::string& p : paths_) {
            std::memcpy(out, p.c_str(), p.size() + 1);
            out += p.size() + 1;
        }
        ::GlobalUnlock(global);
        medium->tymed = TYMED_HGLOBAL;
        medium->hGlobal = global;
        medium->pUnkForRelease = nullptr;
        return S_OK;
    }
    STDMETHODIMP GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
    STDMETHODIMP QueryGetData(FORMATETC* format) override {
        return format && format->cfFormat == CF_HDROP ? S_OK : DV_E_FORMATETC;
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
    ULONG refs_ = 1;
    std::vector<std::string> paths_;
};

const char* const kItemNames[] = {"update", "commit", "diff", "add", "remove",
                                  "custom", "undo",   "tag",  "reset", "options"};

}  // namespace

ferrow::ComPtr<IContextMenu> MakeHandler(Host& host, const Args& paths, HRESULT& initResult) {
    initResult = E_FAIL;
    std::vector<std::string> full;
    for (const std::string& argument : paths) {
        std::string path;
        if (!host.ResolvePath(argument, path)) return nullptr;
        full.push_back(path);
    }
    ferrow::ComPtr<IShellExtInit> init;
    if (FAILED(host.CreateObject(CLSID_CCVSContextMenu, IID_IShellExtInit, init.PutVoid()))) return nullptr;
    auto data = ferrow::ComPtr<IDataObject>::Attach(new DropData(full));
    initResult = init->Initialize(nullptr, data.Get(), nullptr);
    ferrow::ComPtr<IContextMenu> menu;
    if (FAILED(init.As(menu))) {
        PrintError("the handler offers no IContextMenu");
        return nullptr;
    }
    return menu;
}

bool ParseItem(const std::string& text, unsigned& offset) {
    if (text.size() == 1 && text[0] >= '0' && text[0] <= '9') {
        offset = static_cast<unsigned>(text[0] - '0');
        return true;
    }
    for (unsigned i = 0; i < 10; ++i) {
        if (::lstrcmpiA(text.c_str(), kItemNames[i]) == 0) {
            offset = i;
            return true;
        }
    }
    return false;
}

const char* ItemName(unsigned offset) { return offset < 10 ? kItemNames[offset] : "?"; }

}  // namespace menu_host
}  // namespace ferrowsh
