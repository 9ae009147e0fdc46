#include "model/admin_files.h"

#include "common/text.h"
#include "model/entries_index.h"
#include "model/line_reader.h"

#include <shlwapi.h>

using ferrow::CopyPath;

namespace {

// Names compare as the file system compares them: the ANSI texts as characters, case ignored.
bool SameNameIgnoringCase(const char* a, const char* b) { return EntryNameKey(a) == EntryNameKey(b); }

// Joins a folder and a relative name as PathCombine does; empty when the result would not fit.
std::string Combine(const std::string& folder, const char* name) {
    char out[MAX_PATH] = {};
    if (!::PathCombineA(out, folder.c_str(), name)) return std::string();
    return out;
}

std::string FolderOf(const char* path) {
    std::string copy = CopyPath(path);
    ::PathRemoveFileSpecA(&copy[0]);
    copy.resize(strlen(copy.c_str()));
    return copy;
}

// The item's working folder: the path itself when it is a folder, else the folder that holds it.
std::string WorkingFolderOf(const char* path) {
    std::string copy = CopyPath(path);
    if (::PathIsDirectoryA(copy.c_str())) return copy;
    return FolderOf(path);
}

bool ReadAdminFile(const char* path, const char* name, std::string& text) {
    std::string file = Combine(WorkingFolderOf(path), name);
    return !file.empty() && ReadFirstLine(file.c_str(), text);
}

}  // namespace

bool HasCVSDir(const char* folder) {
    std::string cvs = Combine(CopyPath(folder), "CVS");
    return !cvs.empty() && ::PathIsDirectoryA(cvs.c_str());
}

bool ParentHasCVSDir(const char* path) { return HasCVSDir(FolderOf(path).c_str()); }

bool FindEntry(const char* path, CCVSEntry& entry) {
    std::string copy = CopyPath(path);
    std::shared_ptr<const CEntryIndex> index = GetEntryIndex(FolderOf(copy.c_str()), ClientWait::kUnlessWindowThread);
    return index && index->Find(::PathFindFileNameA(copy.c_str()), entry);
}

bool ReadFirstLine(const char* file, std::string& text) {
    if (!::PathFileExistsA(file)) return false;
    ferrow::UniqueFile handle = OpenForReading(file);
    if (!handle) return false;
    CLineReader reader(handle.Release());
    return reader.ReadLine(text) == 0;
}

bool ReadRoot(const char* path, std::string& text) { return ReadAdminFile(path, "CVS\\Root", text); }

bool ReadRepository(const char* path, std::string& text) { return ReadAdminFile(path, "CVS\\Repository", text); }

bool ReadTag(const char* path, std::string& text) {
    if (!ReadAdminFile(path, "CVS\\Tag", text)) return false;
    if (!text.empty() && text[0] == 'T') text.erase(0, 1);
    return true;
}

bool IsControlled(const char* path) {
    std::string copy = CopyPath(path);
    const char* name = ::PathFindFileNameA(copy.c_str());
    const bool namedCVS = SameNameIgnoringCase("CVS", name);
    // A listed item needs no look at the item itself, unless a folder named CVS could be listed.
    std::shared_ptr<const CEntryIndex> index = GetEntryIndex(FolderOf(copy.c_str()), ClientWait::kUnlessWindowThread);
    CCVSEntry entry;
    if (index && index->Find(name, entry)) return !namedCVS || !::PathIsDirectoryA(copy.c_str());
    return !namedCVS && ::PathIsDirectoryA(copy.c_str()) && HasCVSDir(copy.c_str());
}
