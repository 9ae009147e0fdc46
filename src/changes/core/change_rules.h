// The rows of the changes list and how they are decided, sorted and acted on. Platform-free: the Win32
// side lists the folders and reads their CVS/Entries; these rules turn one folder's facts into rows.
#pragma once

#include "model/core/entry.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace changes {

class CIgnoreList;

// One row. `local` is the string id of the local state: a status id (Added, Removed, Modified, Conflict,
// Result of merge, Conflict resolved), IDS_CHANGES_MISSING or IDS_CHANGES_UNVERSIONED; 0 for a file that
// is unchanged here and only listed for what the repository has (`remote`). `remote` is 0 or one of
// IDS_CHANGES_NEEDS_UPDATE, _NEEDS_MERGE, _WOULD_CONFLICT, _REMOVED_THERE (from "Check repository").
struct ChangeItem {
    std::string path;  // relative to the list's base folder, '\' between names
    unsigned local = 0;
    unsigned remote = 0;
    bool directory = false;  // an unversioned folder
    bool binary = false;     // a versioned file whose entry has -kb
};

bool IsUnversioned(const ChangeItem& item);
// Checked when the list is first shown: every versioned change, no unversioned file, no row that is only
// remote.
bool CheckedByDefault(const ChangeItem& item);

// One name found in a folder by its enumeration.
struct DiskItem {
    std::string name;
    bool directory = false;
    uint64_t writeTime = 0;  // FILETIME ticks (100 ns since 1601, UTC)
};

// What one folder holds, for ClassifyFolder.
struct FolderFacts {
    std::string prefix;               // the folder relative to the base, "" or ending in '\'
    std::vector<DiskItem> disk;       // every name of its enumeration but "." and ".."
    std::vector<CCVSEntry> entries;   // the file entries of CVS/Entries (and its log)
};

using NameKeyFn = std::function<std::string(std::string_view name)>;
// The entry time text of a file's last-write time (FILETIME ticks), by the configured rule.
using TimeTextFn = std::function<std::string(uint64_t writeTime)>;

// Appends the rows of one working folder: each entry whose status is not OK (a listed file missing on
// disk is "missing" unless it is scheduled for removal), and each name neither listed nor ignored (files
// and folders without a CVS folder of their own, `isWorkingFolder` tells). Names compare by `key`.
// `subfolders` receives the names of the folders to descend into: the working folders among the names on
// disk. `only`, when not empty, keeps the rows of those names only (a selection of files).
void ClassifyFolder(const FolderFacts& facts, const NameKeyFn& key, const TimeTextFn& timeText,
                    const CIgnoreList& ignore, const std::function<bool(const std::string& name)>& isWorkingFolder,
                    const std::vector<std::string>& only, std::vector<ChangeItem>& rows,
                    std::vector<std::string>& subfolders);

// The list's order: versioned rows by path, then the unversioned ones by path; paths compare name by name
// without regard to ASCII case, so a folder's files stay together ("a\b" before "a-c").
void SortRows(std::vector<ChangeItem>& rows);

// The letter lines of "cvs -n -q update" (see update_output.h) put into the rows: a row of that path gets
// its remote state, a path not yet listed gets a row of its own. Paths in `remote` use '\'.
struct RemoteState {
    std::string path;
    unsigned local = 0;   // what the letter says of the local file (0: unchanged here)
    unsigned remote = 0;
};
void MergeRemote(const std::vector<RemoteState>& remote, std::vector<ChangeItem>& rows);

// A file added as binary (-kb) by content: its first kBinaryHeadSize bytes are binary by the rule of
// model/core/binary_files.h (a NUL byte, a UTF-16 byte order mark); by name: it matches one of the shared
// binary patterns.
constexpr size_t kBinaryHeadSize = 8192;
bool LooksBinary(std::string_view head);
bool IsBinaryName(std::string_view name);

// What a commit of the checked rows runs, in order: unversioned files added (text, then binary with -kb),
// missing files removed, then one commit of every checked path. Paths as in the rows.
struct CommitPlan {
    std::vector<std::string> addText;
    std::vector<std::string> addBinary;
    std::vector<std::string> remove;
    std::vector<std::string> commit;
};
// `isBinary` is asked only for checked unversioned files.
CommitPlan PlanCommit(const std::vector<ChangeItem>& checked, const std::function<bool(const std::string&)>& isBinary);

}  // namespace changes
