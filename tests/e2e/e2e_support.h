// Helpers of the end-to-end tests: Ferrow.dll loaded as COM loads it, the real Windows cvs client run in a
// folder, a repository with a working copy made by that client once per process and copied for each test,
// and small drivers for the handler's dialogs, the message box and the console bar.
#pragma once

#include "common/handles.h"
#include "support/window_driver.h"

#include <windows.h>
#include <shlobj.h>

#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace e2e {

using testing_support::WindowDriver;
using testing_support::MessageBoxText;
using testing_support::WindowText;

// An object of one of the DLL's classes, made through the DLL's own DllGetClassObject (the DLL is loaded
// once and stays loaded).
HRESULT CreateFromDll(REFCLSID clsid, REFIID riid, void** ppv);

template <class T>
ferrow::ComPtr<T> Create(REFCLSID clsid) {
    ferrow::ComPtr<T> object;
    CreateFromDll(clsid, __uuidof(T), object.PutVoid());
    return object;
}

struct CvsRun {
    DWORD exitCode = 0xFFFFFFFF;  // stays so when the client could not be started
    std::string out, err;
};

// Runs "cvs <arguments>" (the client on the PATH) in the folder, waits, returns the exit code and both
// outputs.
CvsRun RunCvs(const std::string& folder, const std::string& arguments);

std::string ReadFile(const std::string& path);
// Writes the bytes. When the file existed, its new last-write time lies at least one second past the old
// one, so that the client and the model both see a change even within the second of the last checkout.
void EditFile(const std::string& path, const std::string& text);
bool Exists(const std::string& path);

// The line of CVS/Entries for a file of a working folder ("" when there is none), without its line end.
std::string EntryLine(const std::string& file);

// A repository (module "proj") and a working copy of it, both on drive C:, fresh for each test:
//   a.txt b.txt c.txt    three lines each, revision 1.1 (imported)
//   hist.c               1.1, 1.2 (tag REL_1, branch BR_1 with 1.2.2.1), 1.3 (tag REL_2); holds 1.3
//   image.bin            binary (-kb), 1.1
//   sub/d.txt            1.1
// The client made the original once per process; each sandbox copies it (file times kept, so nothing
// shows as changed) and points the copy's CVS/Root files at its own repository copy.
class Sandbox {
public:
    Sandbox();
    ~Sandbox();
    Sandbox(const Sandbox&) = delete;
    Sandbox& operator=(const Sandbox&) = delete;

    const std::string& Root() const { return root_; }   // ":local:C:/.../repo"
    const std::string& Wc() const { return wc_; }       // the working folder of the module
    std::string operator/(const std::string& name) const;  // a path in the working folder
    // Another working copy of the same repository, as a second user would have it.
    std::string SecondWorkingCopy();

private:
    std::string base_, repo_, root_, wc_;
    int copies_ = 0;
};


std::string ItemText(HWND dialog, int id);
void SetItemText(HWND dialog, int id, const std::string& text);
void Check(HWND dialog, int id, bool on);
void Press(HWND dialog, int id);  
// A window that hosts the DLL's console bar as Explorer does, and the context-menu handler sited in it.
class Explorer {
public:
    Explorer();
    ~Explorer();
    Explorer(const Explorer&) = delete;
    Explorer& operator=(const Explorer&) = delete;

    HWND Frame() const;
    // A CCVSContextMenu of the DLL, sited in this window and initialised with the selection.
    ferrow::ComPtr<IContextMenu> Handler(const std::vector<std::string>& paths);
    // The submenu as "Update Commit - Diff ..." ("" when there is none).
    std::string Menu(const std::vector<std::string>& paths);
    // InvokeCommand of an offset; hwnd is the frame. Without user interface unless `ui`.
    HRESULT Invoke(const std::vector<std::string>& paths, unsigned offset, bool ui = false);
    HRESULT Invoke(IContextMenu* handler, unsigned offset, bool ui = false);
    // What the console bar shows.
    std::string Console() const;

private:
    struct Impl;
    Impl* impl_;
};

// What the two overlay identifiers answer: "" (neither), "controlled", or "controlled modified".
std::string Overlays(const std::string& path);

// The column values of a file, as the details view would show them.
struct Columns {
    std::string status, tag, options, revision, author;
};
// Asks the column provider, initialised with the file's folder; values it does not give are "-". The author
// (a log run of the client each time) only when asked for.
Columns ColumnsOf(const std::string& path, bool withAuthor = false);

}  // namespace e2e
