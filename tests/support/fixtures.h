// Helpers shared by the Windows tests: scratch folders, files with chosen times, the sample working
// copies made by the real cvs client at build time, and registry clean-up.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

namespace testing_support {

// A fresh folder under %TEMP%, removed with everything in it when the object goes.
class TempDir {
public:
    explicit TempDir(const char* prefix = "ferrow");
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& Path() const { return path_; }
    // Path + "\\" + relative (forward slashes become backslashes).
    std::string operator/(const std::string& relative) const;

private:
    std::string path_;
};

std::string Join(const std::string& folder, const std::string& relative);
std::wstring WideOf(const std::string& ansi);

// Writes the bytes, creating missing folders on the way.
void WriteTextFile(const std::string& path, const std::string& content);
std::string ReadTextFile(const std::string& path);
void SetLastWriteUnix(const std::string& path, int64_t unixSeconds);

// Copies a folder tree; file times are kept, so a copied working copy keeps its states.
void CopyTree(const std::string& from, const std::string& to);
void DeleteTree(const std::string& path);

// The sample working copies made by scripts/make-sample-wc.sh: "wc" (every state) and "wc-tagged"
// (checked out on the branch "stable"). Read-only: copy them before changing anything.
std::string SampleFixture(const char* name);

// Removes HKCU\Software\Pembrake and everything below it.
void DeleteSettings();

// True under Wine (its ntdll exports wine_get_version), for the few behaviours where it differs from
// Windows in a way the test must allow for.
bool UnderWine();

// Switches the calling thread's resource language for the object's lifetime.
class ScopedThreadLanguage {
public:
    explicit ScopedThreadLanguage(LANGID language);
    ~ScopedThreadLanguage();

private:
    LANGID previousUi_;
    LCID previousLocale_;
};

}  // namespace testing_support
