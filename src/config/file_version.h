// Reads the version resource of a file: the fixed information, the first translation and named strings
// of its string table.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

namespace config {

class CFileVersion {
public:
    CFileVersion() noexcept;
    virtual ~CFileVersion();
    CFileVersion(const CFileVersion&) = delete;
    CFileVersion& operator=(const CFileVersion&) = delete;

    // Reads the version resource of the file a module was loaded from.
    // S_OK / S_FALSE / an error as Read; the error of GetModuleFileNameA when the path is not available.
    HRESULT Open(HINSTANCE module) noexcept;

    // Reads the version resource of a file. S_OK when it was read and its fixed information carries the
    // signature 0xFEEF04BD; S_FALSE when it was read but the signature is wrong; E_FAIL when it has no
    // fixed information; otherwise the system error as an HRESULT (no version resource, no file).
    HRESULT Read(const char* path) noexcept;

    // The value "\StringFileInfo\<language><code page>\<name>". S_OK and the text; E_FAIL when the value
    // is missing; E_UNEXPECTED when no file has been read.
    HRESULT GetString(const char* name, std::string& value) const noexcept;

    const VS_FIXEDFILEINFO& FixedInfo() const noexcept { return fixed_; }
    WORD Language() const noexcept { return language_; }
    WORD CodePage() const noexcept { return codePage_; }

private:
    VS_FIXEDFILEINFO fixed_;
    std::unique_ptr<BYTE[]> data_;
    WORD language_;
    WORD codePage_;
};

}  // namespace config
