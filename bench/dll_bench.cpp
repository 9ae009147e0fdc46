// How the cost of Ferrow.dll's answers grows with a working folder, measured through its COM interfaces as
// Explorer calls them (run under Wine; see scripts/bench.sh). For folders of 100, 1,000 and 10,000 files
// (CVS/Entries written as the client writes it, files with matching times, a tenth of them modified):
//   both overlay identifiers' IsMemberOf for every item;
//   GetItemData of the Status, Tag, Options and Revision columns for every item;
//   QueryContextMenu for one item at the start, the middle and the end of Entries;
// against the reference cost of reading and parsing that folder's Entries once plus one attribute query
// per file, measured in the same process. Every item is asked (no sampling), after one first question that
// builds the folder's index; Entries carries the checkout's time, as after a real checkout. File opens
// and bytes read are counted by hooking the DLL's imports of CreateFile and ReadFile, not timed.
// Last, the cost of one query of the time-zone rules, which the daylight rule makes per file.
// Usage: dll_bench [path\to\Ferrow.dll]
#include "bench/bench_common.h"
#include "common/handles.h"
#include "hostsupport/hdrop_data_object.h"
#include "hostsupport/import_hook.h"
#include "common/text.h"
#include "model/core/entry.h"
#include "model/core/line_splitter.h"
#include "model/core/timestamp.h"
#include "com/guids.h"
#include "com/interface_ids.h"

#include <windows.h>
#include <shlobj.h>

#include <atomic>
#include <cstdio>
#include <string>
#include <vector>

namespace {

std::atomic<long> g_opens{0};
std::atomic<long long> g_bytes{0};

using CreateFileAFn = HANDLE(WINAPI*)(LPCSTR, DWORD, DWORD, LPSECURITY_ATTRIBUTES, DWORD, DWORD, HANDLE);
using CreateFileWFn = HANDLE(WINAPI*)(LPCWSTR, DWORD, DWORD, LPSECURITY_ATTRIBUTES, DWORD, DWORD, HANDLE);
using ReadFileFn = BOOL(WINAPI*)(HANDLE, LPVOID, DWORD, LPDWORD, LPOVERLAPPED);
CreateFileAFn g_createFileA = nullptr;
CreateFileWFn g_createFileW = nullptr;
ReadFileFn g_readFile = nullptr;

HANDLE WINAPI CountingCreateFileA(LPCSTR a, DWORD b, DWORD c, LPSECURITY_ATTRIBUTES d, DWORD e, DWORD f, HANDLE g) {
    ++g_opens;
    return g_createFileA(a, b, c, d, e, f, g);
}
HANDLE WINAPI CountingCreateFileW(LPCWSTR a, DWORD b, DWORD c, LPSECURITY_ATTRIBUTES d, DWORD e, DWORD f, HANDLE g) {
    ++g_opens;
    return g_createFileW(a, b, c, d, e, f, g);
}
BOOL WINAPI CountingReadFile(HANDLE h, LPVOID buffer, DWORD size, LPDWORD read, LPOVERLAPPED overlapped) {
    BOOL ok = g_readFile(h, buffer, size, read, overlapped);
    if (ok && read) g_bytes += *read;
    return ok;
}

// Points the module's imports of the named kernel32 functions at the counting versions.
void HookImports(HMODULE module) {
    g_createFileA = reinterpret_cast<CreateFileAFn>(
        ferrow::ReplaceImport(module, "kernel32.dll", "CreateFileA", reinterpret_cast<void*>(&CountingCreateFileA)));
    g_createFileW = reinterpret_cast<CreateFileWFn>(
        ferrow::ReplaceImport(module, "kernel32.dll", "CreateFileW", reinterpret_cast<void*>(&CountingCreateFileW)));
    g_readFile = reinterpret_cast<ReadFileFn>(
        ferrow::ReplaceImport(module, "kernel32.dll", "ReadFile", reinterpret_cast<void*>(&CountingReadFile)));
}

void WriteFileBytes(const std::string& path, const std::string& bytes) {
    ferrow::UniqueFile f(::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    DWORD written = 0;
    ::WriteFile(f.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

void SetTime(const std::string& path, int64_t unixSeconds) {
    uint64_t ticks = static_cast<uint64_t>(unixSeconds) * 10000000ULL + 116444736000000000ULL;
    FILETIME ft = {static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
    ferrow::UniqueFile f(::CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                       0, nullptr));
    ::SetFileTime(f.Get(), nullptr, nullptr, &ft);
}

// The working folder: Entries as the client writes it (space-padded day), every tenth file touched later.
std::string MakeFolder(int n) {
    char temp[MAX_PATH] = {};
    ::GetTempPathA(MAX_PATH, temp);
    std::string dir = std::string(temp) + "ferrow-bench-" + std::to_string(n);
    ::CreateDirectoryA(dir.c_str(), nullptr);
    ::CreateDirectoryA((dir + "\\CVS").c_str(), nullptr);
    const int64_t checkout = 1796747041;  // Tue Dec 08 16:24:01 2026 UTC
    std::string recorded = FormatTimestamp(checkout);
    if (recorded[8] == '0') recorded[8] = ' ';
    std::string entries;
    for (int i = 0; i < n; ++i) {
        std::string name = bench::FileName(i);
        entries += "/" + name + "/1." + std::to_string(1 + i % 7) + "/" + recorded + "//\n";
        std::string path = dir + "\\" + name;
        if (::GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) WriteFileBytes(path, "int x;\n");
        SetTime(path, i % 10 == 5 ? checkout + 60 : checkout);
    }
    WriteFileBytes(dir + "\\CVS\\Entries", entries + "D\n");
    SetTime(dir + "\\CVS\\Entries", checkout);
    WriteFileBytes(dir + "\\CVS\\Root", ":local:C:/repo\n");
    WriteFileBytes(dir + "\\CVS\\Repository", "bench\n");
    return dir;
}

struct Dll {
    ferrow::UniqueLibrary module;
    HRESULT(STDAPICALLTYPE* getClassObject)(REFCLSID, REFIID, void**) = nullptr;

    template <typename I>
    ferrow::ComPtr<I> Create(REFCLSID clsid) {
        ferrow::ComPtr<IClassFactory> factory;
        ferrow::ComPtr<I> object;
        if (SUCCEEDED(getClassObject(clsid, IID_IClassFactory, factory.PutVoid())))
            factory->CreateInstance(nullptr, __uuidof(I), object.PutVoid());
        return object;
    }
};

struct Counted {
    double seconds = 0;
    long opens = 0;
    long long bytes = 0;
};

// Times `perItem` for every item, after one call that builds what a first question builds.
template <typename F>
Counted Measure(int n, F&& perItem) {
    perItem(0);
    long opens0 = g_opens;
    long long bytes0 = g_bytes;
    double start = bench::NowSeconds();
    for (int i = 0; i < n; ++i) perItem(i);
    Counted c;
    c.seconds = bench::NowSeconds() - start;
    c.opens = g_opens - opens0;
    c.bytes = g_bytes - bytes0;
    return c;
}

void Row(const char* what, int items, const Counted& c, double reference) {
    std::printf("%-34s %8d %14.2f %12.2f %10.1f %8.2f %12.0f\n", what, items, c.seconds * 1e6 / items, c.seconds * 1e3,
                reference > 0 ? c.seconds / reference : 0.0, static_cast<double>(c.opens) / items,
                static_cast<double>(c.bytes) / items);
}

void MeasureFolder(Dll& dll, int n) {
    std::string dir = MakeFolder(n);
    std::vector<std::wstring> paths;
    for (int i = 0; i < n; ++i) paths.push_back(ferrow::AnsiToWide(dir + "\\" + bench::FileName(i)));

    // Reference: read the folder's Entries once and parse every line, and one attribute query per file.
    std::string entriesPath = dir + "\\CVS\\Entries";
    long long entriesSize = 0;
    std::vector<std::string> narrow;
    for (int i = 0; i < n; ++i) narrow.push_back(dir + "\\" + bench::FileName(i));
    double reference = bench::TimePerRun([&] {
        for (const std::string& file : narrow) {
            WIN32_FILE_ATTRIBUTE_DATA data;
            if (!::GetFileAttributesExA(file.c_str(), GetFileExInfoStandard, &data)) std::abort();
        }
        ferrow::UniqueFile f(::CreateFileA(entriesPath.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                           FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
        std::string bytes(::GetFileSize(f.Get(), nullptr), '\0');
        entriesSize = static_cast<long long>(bytes.size());
        DWORD got = 0;
        ::ReadFile(f.Get(), &bytes[0], static_cast<DWORD>(bytes.size()), &got, nullptr);
        MemoryLineSplitter reader(bytes);
        std::string line;
        CCVSEntry entry;
        while (reader.ReadLine(line) == 0) ParseEntryLine(line, entry);
    });

    std::printf("\nFolder of %d files (every item asked)\n%-34s %8s %14s %12s %10s %8s %12s\n", n, "measure", "items",
                "per item (us)", "total (ms)", "x ref", "opens", "bytes read");
    Counted ref;
    ref.seconds = reference;
    ref.opens = 1;
    ref.bytes = entriesSize;
    Row("reference: read + parse Entries", n, ref, reference);

    auto controlled = dll.Create<IShellIconOverlayIdentifier>(CLSID_CCVSModifiedIconOverlay);
    auto modified = dll.Create<IShellIconOverlayIdentifier>(CLSID_CCVSIconOverlay);
    int members = 0;
    Row("overlay: controlled, every item", n,
        Measure(n, [&](int i) { members += controlled->IsMemberOf(paths[i].c_str(), 0) == S_OK; }), reference);
    Row("overlay: modified, every item", n,
        Measure(n, [&](int i) { members += modified->IsMemberOf(paths[i].c_str(), 0) == S_OK; }), reference);
    Row("overlays: both, every item", n, Measure(n, [&](int i) {
            members += controlled->IsMemberOf(paths[i].c_str(), 0) == S_OK;
            members += modified->IsMemberOf(paths[i].c_str(), 0) == S_OK;
        }),
        reference);

    auto columns = dll.Create<IColumnProvider>(CLSID_CCVSColumnProvider);
    SHCOLUMNINIT init = {};
    std::wstring wdir = ferrow::AnsiToWide(dir);
    lstrcpynW(init.wszFolder, wdir.c_str(), MAX_PATH);
    columns->Initialize(&init);
    const char* wanted[] = {"CVS Status", "CVS Tag", "CVS Options", "CVS Revision"};
    std::vector<SHCOLUMNINFO> infos;
    for (DWORD index = 0;; ++index) {
        SHCOLUMNINFO info = {};
        if (columns->GetColumnInfo(index, &info) != S_OK) break;
        std::string title = ferrow::WideToAnsi(info.wszTitle);
        for (const char* w : wanted)
            if (title == w) infos.push_back(info);
    }
    auto ask = [&](const SHCOLUMNINFO& info, int i) {
        SHCOLUMNDATA data = {};
        data.dwFileAttributes = FILE_ATTRIBUTE_NORMAL;
        lstrcpynW(data.wszFile, paths[i].c_str(), MAX_PATH);
        data.pwszExt = wcsrchr(data.wszFile, L'.');
        VARIANT value;
        ::VariantInit(&value);
        columns->GetItemData(&info.scid, &data, &value);
        ::VariantClear(&value);
    };
    for (const SHCOLUMNINFO& info : infos) {
        std::string label = "column: " + ferrow::WideToAnsi(info.wszTitle) + ", every item";
        Row(label.c_str(), n, Measure(n, [&](int i) { ask(info, i); }), reference);
    }
    Row("columns: all four, every item", n, Measure(n, [&](int i) {
            for (const SHCOLUMNINFO& info : infos) ask(info, i);
        }),
        reference);

    const char* places[] = {"start", "middle", "end"};
    const int indexes[] = {0, n / 2, n - 1};
    for (int p = 0; p < 3; ++p) {
        std::vector<std::string> selection = {dir + "\\" + bench::FileName(indexes[p])};
        auto data = ferrow::MakeHDropDataObject(selection);
        Counted c;
        long opens0 = g_opens;
        long long bytes0 = g_bytes;
        int runs = 0;
        double start = bench::NowSeconds();
        do {
            auto menu = dll.Create<IContextMenu>(CLSID_CCVSContextMenu);
            ferrow::ComPtr<IShellExtInit> ext;
            menu.As(ext);
            ext->Initialize(nullptr, data.Get(), nullptr);
            ferrow::UniqueMenu popup(::CreatePopupMenu());
            menu->QueryContextMenu(popup.Get(), 0, 1, 0x7fff, CMF_NORMAL);
            ++runs;
        } while (bench::NowSeconds() - start < 0.2 && runs < 200);
        c.seconds = (bench::NowSeconds() - start) / runs;
        c.opens = (g_opens - opens0) / runs;
        c.bytes = (g_bytes - bytes0) / runs;
        std::string label = std::string("context menu: item at the ") + places[p];
        Row(label.c_str(), 1, c, reference);
    }
}

}  // namespace

int main(int argc, char** argv) {
    ::OleInitialize(nullptr);
    std::string path = argc > 1 ? argv[1] : "Ferrow.dll";
    Dll dll;
    dll.module.Reset(::LoadLibraryA(path.c_str()));
    if (!dll.module) {
        std::fprintf(stderr, "dll_bench: cannot load %s\n", path.c_str());
        return 2;
    }
    dll.getClassObject = reinterpret_cast<decltype(dll.getClassObject)>(
        reinterpret_cast<void*>(::GetProcAddress(dll.module.Get(), "DllGetClassObject")));
    HookImports(dll.module.Get());
    std::printf("Ferrow.dll benchmark (under Wine; per item, totals, ratio to the reference, file opens and bytes read "
                "per item)\n");
    for (int n : {100, 1000, 10000}) MeasureFolder(dll, n);
    double zone = bench::TimePerRun([] {
        for (int i = 0; i < 1000; ++i) {
            TIME_ZONE_INFORMATION info;
            ::GetTimeZoneInformation(&info);
        }
    }) / 1000;
    std::printf("\nOne query of the time-zone rules (GetTimeZoneInformation): %.2f us\n", zone * 1e6);
    ::OleUninitialize();
    return 0;
}
