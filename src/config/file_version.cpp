#include "config/file_version.h"
#include "common/exception_guard.h"
#include "common/module_instance.h"
#include "common/text.h"

#include <cstdio>
#include <cstring>
#include <new>

namespace {
// Used when the resource has no translation table: US English in the Western code page, the pair most
// version resources without a table are written for.
constexpr WORD kDefaultLanguage = 0x0409;
constexpr WORD kDefaultCodePage = 1252;

HRESULT LastError() noexcept {
    DWORD error = ::GetLastError();
    return error ? HRESULT_FROM_WIN32(error) : E_FAIL;
}
}  // namespace

namespace config {

CFileVersion::CFileVersion() noexcept : fixed_(), language_(kDefaultLanguage), codePage_(kDefaultCodePage) {}

CFileVersion::~CFileVersion() = default;

HRESULT CFileVersion::Open(HINSTANCE module) noexcept {
    std::wstring wide;
    const HRESULT hr = ferrow::ModuleFileName(module, wide);
    if (FAILED(hr)) return hr;
    std::string path;
    if (!ferrow::WideToAnsiPath(wide.c_str(), path)) return HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER);
    return Read(path.c_str());
}

HRESULT CFileVersion::Read(const char* path) noexcept {
    codePage_ = kDefaultCodePage;
    language_ = kDefaultLanguage;
    std::memset(&fixed_, 0, sizeof fixed_);
    data_.reset();  // a failed read leaves nothing of an earlier file behind
    DWORD handle = 0;
    DWORD size = ::GetFileVersionInfoSizeA(path, &handle);
    if (size == 0) return LastError();
    std::unique_ptr<BYTE[]> data(new (std::nothrow) BYTE[size]);
    if (!data) return E_OUTOFMEMORY;
    if (!::GetFileVersionInfoA(path, 0, size, data.get())) return LastError();
    data_ = std::move(data);

    void* value = nullptr;
    UINT length = 0;
    if (!::VerQueryValueA(data_.get(), "\\", &value, &length) || !value || length < sizeof fixed_) return E_FAIL;
    std::memcpy(&fixed_, value, sizeof fixed_);
    if (::VerQueryValueA(data_.get(), "\\VarFileInfo\\Translation", &value, &length) && value && length >= 4) {
        const WORD* pair = static_cast<const WORD*>(value);
        language_ = pair[0];
        codePage_ = pair[1];
    }
    return fixed_.dwSignature == 0xFEEF04BD ? S_OK : S_FALSE;
}

HRESULT CFileVersion::GetString(const char* name, std::string& value) const noexcept {
    if (!data_) return E_UNEXPECTED;
    if (!name) return E_INVALIDARG;
    char query[300];
    int n = std::snprintf(query, sizeof query, "\\StringFileInfo\\%04x%04x\\%s", language_, codePage_, name);
    if (n < 0 || static_cast<size_t>(n) >= sizeof query) return E_INVALIDARG;
    void* text = nullptr;
    UINT length = 0;
    if (!::VerQueryValueA(data_.get(), query, &text, &length) || !text) return E_FAIL;
    return ferrow::GuardedCall([&] {
        value.assign(static_cast<const char*>(text));
        return S_OK;
    });
}

}  // namespace config
