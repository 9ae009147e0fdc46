// Helpers of the robustness tests: Ferrow.dll loaded as Explorer loads it (LoadLibrary, DllGetClassObject),
// the shell's calls on its objects with wide paths, a watch over the files the DLL opens (share mode and
// handles left open, through its imports of CreateFile and CloseHandle), and bounded waits for threads.
#pragma once

#include "common/handles.h"
#include "hostsupport/hdrop_data_object.h"
#include "com/guids.h"
#include "com/interface_ids.h"

#include <windows.h>
#include <shlobj.h>

#include <atomic>
#include <string>
#include <vector>

namespace robustness {

// The DLL of the build, loaded once for the whole test program (as Explorer keeps it).
class Dll {
public:
    static Dll& Get();

    template <typename I>
    ferrow::ComPtr<I> Create(REFCLSID clsid) {
        ferrow::ComPtr<IClassFactory> factory;
        ferrow::ComPtr<I> object;
        if (getClassObject_ && SUCCEEDED(getClassObject_(clsid, IID_IClassFactory, factory.PutVoid())))
            factory->CreateInstance(nullptr, __uuidof(I), object.PutVoid());
        return object;
    }
    HMODULE Module() const { return module_; }

private:
    Dll();
    HMODULE module_ = nullptr;
    HRESULT(STDAPICALLTYPE* getClassObject_)(REFCLSID, REFIID, void**) = nullptr;
};

// The answers of every shell view for one wide path, as Explorer would ask for them.
struct ViewAnswers {
    HRESULT controlled = E_FAIL;   // CCVSModifiedIconOverlay::IsMemberOf
    HRESULT modified = E_FAIL;     // CCVSIconOverlay::IsMemberOf
    HRESULT columnsInit = E_FAIL;  // CCVSColumnProvider::Initialize with the path's folder
    HRESULT status = E_FAIL;       // GetItemData of "CVS Status"
    std::string statusText;        // its text, "" without a value
    HRESULT revision = E_FAIL;     // GetItemData of "CVS Revision"
    std::string revisionText;
    HRESULT menu = E_FAIL;         // Initialize + QueryContextMenu (the count of items in its code)
    int menuItems = -1;            // items the handler added to the menu (0 or 1: the "CVS" submenu)
};

// Asks all views about `path`, a file or folder; `folder` is the folder the column provider is given.
ViewAnswers AskViews(const std::wstring& path, const std::wstring& folder);

// One column value of `path` through an initialised provider: result and text ("" without a value).
HRESULT ColumnText(IColumnProvider* provider, const GUID& fmtid, DWORD pid, const std::wstring& path,
                   std::string& text);

// Initialize + QueryContextMenu of a fresh handler on the selection; `items` gets how many items it added.
HRESULT BuildMenu(const std::vector<std::wstring>& selection, UINT flags, int& items);

// Counts what the DLL does with files: opens (and their share modes) and handles still open. Installed
// once on the DLL's imports; counting only while a Watch object lives.
class FileWatch {
public:
    FileWatch();
    ~FileWatch();
    FileWatch(const FileWatch&) = delete;
    FileWatch& operator=(const FileWatch&) = delete;

    long Opens() const;
    // Opens that asked for more than reading, or whose share mode lacked FILE_SHARE_READ or allowed
    // deletion (a delete let through while the file is open loses it when the handle closes).
    long UnsafeOpens() const;
    // Files opened during the watch that are still open.
    long StillOpen() const;
};

// Runs `count` threads of `body(index)`; false when they did not all end within `timeoutMs` (a deadlock or
// a hang), in which case the threads are left running and the test fails instead of hanging.
bool RunThreads(int count, DWORD timeoutMs, void (*body)(int index, void* context), void* context);

// Waits for a thread while keeping this thread's windows answering (sent messages included).
bool WaitPumping(HANDLE handle, DWORD timeoutMs);

// The process's open handles, and the bytes in use in its heaps.
DWORD HandleCount();
size_t PrivateBytes();

// A wide path under a fresh temporary folder: helpers to make files and folders with wide names.
void WriteWide(const std::wstring& path, const std::string& bytes);
void MakeFolderWide(const std::wstring& path);
std::wstring Widen(const std::string& ansi);

}  // namespace robustness
