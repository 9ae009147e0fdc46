#include "common/dropped_paths.h"

#include "common/exception_guard.h"
#include "common/text.h"

#include <shellapi.h>
#include <shlobj.h>

namespace ferrow {

HRESULT ReadDroppedPaths(IDataObject* data, std::vector<std::string>& paths) noexcept {
    paths.clear();
    if (!data) return E_INVALIDARG;
    FORMATETC format = {CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM medium = {};
    if (FAILED(data->GetData(&format, &medium))) return E_INVALIDARG;
    HRESULT hr = E_INVALIDARG;
    if (HDROP drop = static_cast<HDROP>(::GlobalLock(medium.hGlobal))) {
        hr = GuardedCall([drop, &paths]() -> HRESULT {
            const UINT count = ::DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
            for (UINT i = 0; i < count; ++i) {
                const UINT length = ::DragQueryFileW(drop, i, nullptr, 0);
                if (length == 0 || length >= MAX_PATH) continue;
                wchar_t wide[MAX_PATH] = {};
                if (::DragQueryFileW(drop, i, wide, MAX_PATH) == 0) continue;
                std::string path;
                if (WideToAnsiPath(wide, path)) paths.push_back(path);
            }
            return count == 0 ? E_INVALIDARG : S_OK;
        });
        ::GlobalUnlock(medium.hGlobal);
    }
    ::ReleaseStgMedium(&medium);
    return hr;
}

HRESULT ReadFolderPath(PCIDLIST_ABSOLUTE folder, std::vector<std::string>& paths) noexcept {
    paths.clear();
    if (!folder) return E_INVALIDARG;
    wchar_t wide[MAX_PATH] = {};
    if (!::SHGetPathFromIDListW(folder, wide) || wide[0] == L'\0') return E_INVALIDARG;
    return GuardedCall([&wide, &paths]() -> HRESULT {
        std::string path;
        if (WideToAnsiPath(wide, path)) paths.push_back(path);
        return S_OK;
    });
}

}  // namespace ferrow
