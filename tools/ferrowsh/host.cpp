#include "host.h"

#include "common/module_instance.h"
#include "com/guids.h"

#include <objbase.h>
#include <shlwapi.h>

#include <cstdio>

namespace ferrowsh {

void PrintError(const std::string& text) { std::fprintf(stderr, "ferrowsh: %s\n", text.c_str()); }

std::string HResultText(HRESULT hr) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(hr));
    return text;
}

std::string GuidText(REFGUID guid) {
    wchar_t wide[64] = {};
    ::StringFromGUID2(guid, wide, 64);
    char narrow[64] = {};
    ::WideCharToMultiByte(CP_ACP, 0, wide, -1, narrow, sizeof narrow, nullptr, nullptr);
    return narrow;
}

std::string Host::DllPath() const {
    char full[MAX_PATH] = {};
    if (!dllPath_.empty()) {
        if (!::GetFullPathNameA(dllPath_.c_str(), MAX_PATH, full, nullptr)) return dllPath_;
        return full;
    }
    const std::string program = ferrow::ModulePath(nullptr);
    if (program.empty() || program.size() >= MAX_PATH) return "Ferrow.dll";
    ::lstrcpynA(full, program.c_str(), MAX_PATH);
    ::PathRemoveFileSpecA(full);
    ::PathAppendA(full, "Ferrow.dll");
    return full;
}

FARPROC Host::Export(const char* name) {
    const std::string path = DllPath();
    if (!library_) {
        if (::GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
            PrintError("no such DLL: " + path);
            return nullptr;
        }
        library_.Reset(::LoadLibraryA(path.c_str()));
        if (!library_) {
            PrintError("cannot load " + path + " (error " + std::to_string(::GetLastError()) + ")");
            return nullptr;
        }
    }
    FARPROC proc = ::GetProcAddress(library_.Get(), name);
    if (!proc) PrintError(path + " does not export " + name);
    return proc;
}

HRESULT Host::CreateObject(REFCLSID clsid, REFIID riid, void** ppv) {
    *ppv = nullptr;
    if (!direct_) {
        HRESULT hr = ::CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, riid, ppv);
        if (FAILED(hr)) {
            PrintError("cannot create " + GuidText(clsid) + " through COM (" + HResultText(hr) +
                       "; is the DLL registered?)");
        }
        return hr;
    }
    using GetClassObjectFn = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
    auto getClassObject = reinterpret_cast<GetClassObjectFn>(Export("DllGetClassObject"));
    if (!getClassObject) return E_FAIL;
    ferrow::ComPtr<IClassFactory> factory;
    HRESULT hr = getClassObject(clsid, IID_IClassFactory, factory.PutVoid());
    if (SUCCEEDED(hr)) hr = factory->CreateInstance(nullptr, riid, ppv);
    if (FAILED(hr)) PrintError("cannot create " + GuidText(clsid) + " from " + DllPath() + " (" + HResultText(hr) + ")");
    return hr;
}

bool Host::ResolvePath(const std::string& argument, std::string& full) {
    char buffer[MAX_PATH] = {};
    const DWORD n = ::GetFullPathNameA(argument.c_str(), MAX_PATH, buffer, nullptr);
    if (n == 0 || n >= MAX_PATH) {
        PrintError("not a usable path: " + argument);
        return false;
    }
    full = buffer;
    if (::GetFileAttributesA(buffer) != INVALID_FILE_ATTRIBUTES) return true;
    char folder[MAX_PATH] = {};
    lstrcpynA(folder, buffer, MAX_PATH);
    if (::PathRemoveFileSpecA(folder) && ::PathIsDirectoryA(folder)) return true;
    PrintError("no such file or folder: " + argument);
    return false;
}

std::vector<std::string> FolderItems(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA data;
    HANDLE find = ::FindFirstFileA((folder + "\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return names;
    do {
        const std::string name = data.cFileName;
        if (name != "." && name != "..") names.push_back(name);
    } while (::FindNextFileA(find, &data));
    ::FindClose(find);
    return names;
}

CBandHost::BandFactory BandFactory(Host& host) {
    return [&host](REFCLSID clsid, IUnknown** band) {
        return host.CreateObject(clsid, IID_IUnknown, reinterpret_cast<void**>(band));
    };
}

HRESULT OpenConsoleBar(Host& host, CBandHost& window) {
    ferrow::ComPtr<IUnknown> band;
    HRESULT hr = host.CreateObject(CLSID_CConsoleBar, IID_IUnknown, band.PutVoid());
    if (FAILED(hr)) return hr;
    hr = window.OpenBand(band.Get());
    if (FAILED(hr)) PrintError("the console bar could not be sited: " + HResultText(hr));
    return hr;
}

}  // namespace ferrowsh
