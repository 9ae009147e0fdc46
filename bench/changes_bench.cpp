// The changes list's cost against its floor (not a test): a generated working copy of 100,000 files in
// 1,000 folders, 1 % of them modified (a recorded time that differs from the file's), listed by
// changes::ScanChanges; the floor is one enumeration of each folder plus one read of each CVS/Entries, in
// the same run. Prints the best of three of each and their ratio. Usage: changes_bench.exe [folder]
// (default %TEMP%\ferrow-changes-bench; generated once, kept for the next run).
#include "changes/change_scan.h"
#include "common/handles.h"
#include "model/core/timestamp.h"

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int kFolders = 1000;
constexpr int kFilesPerFolder = 100;

// 2026-01-15 12:00:00 UTC: outside daylight saving time, so both time rules give the same text.
constexpr uint64_t kFileTime = 134129520000000000ULL;

// Marks a complete generation; inside the administrative folder, which the list passes over (a marker
// beside the files would be listed as unversioned).
constexpr char kDoneMarker[] = "\\CVS\\generated";

std::string FolderName(const std::string& root, int i) {
    return root + "\\d" + std::to_string(i / 100) + "\\e" + std::to_string(i);
}

bool WriteWhole(const std::string& path, const std::string& text, const FILETIME* time) {
    ferrow::UniqueFile file(::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                          FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    DWORD wrote = 0;
    if (!text.empty() && !::WriteFile(file.Get(), text.data(), static_cast<DWORD>(text.size()), &wrote, nullptr))
        return false;
    if (time) ::SetFileTime(file.Get(), nullptr, nullptr, time);
    return true;
}

bool Generate(const std::string& root) {
    if (::GetFileAttributesA((root + kDoneMarker).c_str()) != INVALID_FILE_ATTRIBUTES) return true;
    std::printf("generating %d files in %d folders under %s ...\n", kFolders * kFilesPerFolder, kFolders, root.c_str());
    const FILETIME time = {static_cast<DWORD>(kFileTime), static_cast<DWORD>(kFileTime >> 32)};
    const std::string recorded = FormatTimestamp(FileTimeToUnixSeconds(kFileTime));
    ::CreateDirectoryA(root.c_str(), nullptr);
    ::CreateDirectoryA((root + "\\CVS").c_str(), nullptr);
    std::string top;
    for (int d = 0; d < kFolders / 100; ++d) {
        const std::string middle = root + "\\d" + std::to_string(d);
        ::CreateDirectoryA(middle.c_str(), nullptr);
        ::CreateDirectoryA((middle + "\\CVS").c_str(), nullptr);
        std::string entries;
        for (int e = d * 100; e < d * 100 + 100; ++e) entries += "D/e" + std::to_string(e) + "////\n";
        if (!WriteWhole(middle + "\\CVS\\Entries", entries, nullptr)) return false;
        top += "D/d" + std::to_string(d) + "////\n";
    }
    if (!WriteWhole(root + "\\CVS\\Entries", top, nullptr)) return false;
    int n = 0;
    for (int f = 0; f < kFolders; ++f) {
        const std::string folder = FolderName(root, f);
        ::CreateDirectoryA(folder.c_str(), nullptr);
        ::CreateDirectoryA((folder + "\\CVS").c_str(), nullptr);
        std::string entries;
        for (int i = 0; i < kFilesPerFolder; ++i, ++n) {
            const std::string name = "file" + std::to_string(i) + ".c";
            if (!WriteWhole(folder + "\\" + name, "int x;\r\n", &time)) return false;
            // Every hundredth file modified: its recorded time is another one.
            entries += "/" + name + "/1.1/" + (n % 100 == 7 ? std::string("Thu Jan 01 00:00:00 2026") : recorded) + "//\n";
        }
        entries += "D\n";
        if (!WriteWhole(folder + "\\CVS\\Entries", entries, nullptr)) return false;
    }
    return WriteWhole(root + kDoneMarker, "", nullptr);
}

// One enumeration of each folder and one read of each CVS/Entries.
size_t Floor(const std::string& root) {
    size_t seen = 0;
    std::vector<std::string> folders = {root};
    for (int d = 0; d < kFolders / 100; ++d) folders.push_back(root + "\\d" + std::to_string(d));
    for (int f = 0; f < kFolders; ++f) folders.push_back(FolderName(root, f));
    std::string buffer(1 << 20, '\0');
    for (const std::string& folder : folders) {
        WIN32_FIND_DATAA data = {};
        HANDLE find = ::FindFirstFileExA((folder + "\\*").c_str(), FindExInfoBasic, &data, FindExSearchNameMatch,
                                         nullptr, FIND_FIRST_EX_LARGE_FETCH);
        if (find != INVALID_HANDLE_VALUE) {
            do ++seen; while (::FindNextFileA(find, &data));
            ::FindClose(find);
        }
        ferrow::UniqueFile file(::CreateFileA((folder + "\\CVS\\Entries").c_str(), GENERIC_READ,
                                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                              FILE_ATTRIBUTE_NORMAL, nullptr));
        DWORD got = 0;
        if (file && ::ReadFile(file.Get(), &buffer[0], static_cast<DWORD>(buffer.size()), &got, nullptr)) seen += got > 0;
    }
    return seen;
}

template <typename Fn>
double Seconds(Fn&& fn) {
    const auto start = std::chrono::steady_clock::now();
    fn();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
    std::string root;
    if (argc > 1) {
        root = argv[1];
    } else {
        char temp[MAX_PATH] = {};
        ::GetTempPathA(MAX_PATH, temp);
        root = std::string(temp) + "ferrow-changes-bench";
    }
    if (!Generate(root)) {
        std::printf("could not generate the working copy under %s\n", root.c_str());
        return 1;
    }
    double floor = 1e9, scan = 1e9;
    size_t rows = 0;
    for (int run = 0; run < 3; ++run) {
        floor = std::min(floor, Seconds([&] { Floor(root); }));
        changes::ScanResult result;
        scan = std::min(scan, Seconds([&] { changes::ScanChanges({root}, result); }));
        rows = result.rows.size();
    }
    std::printf("changes list of %d files in %d folders: %zu rows\n", kFolders * kFilesPerFolder, kFolders, rows);
    std::printf("  floor (enumerate each folder, read each Entries): %.3f s\n", floor);
    std::printf("  ScanChanges:                                       %.3f s  (%.2f x the floor)\n", scan, scan / floor);
    return rows == static_cast<size_t>(kFolders * kFilesPerFolder / 100) ? 0 : 1;
}
