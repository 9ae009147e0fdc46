// ferrowsh: loads Ferrow.dll as Explorer does and prints what the shell would see.
//
// The host reaches the classes in one of two ways:
//   COM (default)  CoCreateInstance, which finds the DLL through its registration (run "register" first);
//   --dll <path>   LoadLibrary and the DLL's own DllGetClassObject, without any registration.
// Errors are one line on standard error, "ferrowsh: <problem>", with a non-zero exit code.
#pragma once

#include "common/handles.h"
#include "hostsupport/band_host.h"

#include <windows.h>

#include <string>
#include <vector>

namespace ferrowsh {

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;  // the command ran and something failed
constexpr int kExitUsage = 2;   // wrong arguments, missing paths, unloadable DLL

using Args = std::vector<std::string>;

class Host {
public:
    // dllPath empty: COM activation through the registry; registering commands use the DLL beside the host.
    explicit Host(std::string dllPath) : dllPath_(std::move(dllPath)), direct_(!dllPath_.empty()) {}

    bool Direct() const { return direct_; }

    // The DLL's full path: the --dll argument, or Ferrow.dll beside ferrowsh.exe.
    std::string DllPath() const;

    // Loads the DLL (once) and finds one of its exports; prints the error and returns null on failure.
    FARPROC Export(const char* name);

    // Creates an object of a class as the shell would; prints the error on failure.
    HRESULT CreateObject(REFCLSID clsid, REFIID riid, void** ppv);

    // A full path for a path argument; prints the error and returns false when neither the path nor its
    // folder exists (a file scheduled for removal is gone while its folder remains).
    bool ResolvePath(const std::string& argument, std::string& full);

private:
    std::string dllPath_;
    bool direct_;
    ferrow::UniqueLibrary library_;
};

// What a band host window of the shell host uses to make a band: the host's CreateObject.
CBandHost::BandFactory BandFactory(Host& host);
// Creates the console bar and sites it in `window`; prints the error and returns it when the bar cannot
// be created or sited.
HRESULT OpenConsoleBar(Host& host, CBandHost& window);

// "ferrowsh: <text>" on standard error.
void PrintError(const std::string& text);
// An HRESULT as text: "0x80004005".
std::string HResultText(HRESULT hr);
// A GUID as "{...}".
std::string GuidText(REFGUID guid);

// The names of a folder's items (without "." and ".."), in the order the file system lists them.
std::vector<std::string> FolderItems(const std::string& folder);

}  // namespace ferrowsh
