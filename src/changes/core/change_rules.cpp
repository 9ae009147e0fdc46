#include "changes/core/change_rules.h"

#include "changes/core/ignore_rules.h"
#include "model/core/binary_files.h"
#include "model/core/status.h"
#include "resources/resource.h"

#include <algorithm>
#include <unordered_map>

namespace changes {

namespace {

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// Name by name: the separator sorts before every other character.
bool PathLess(const std::string& a, const std::string& b) {
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        const char x = a[i] == '\\' ? '\0' : Lower(a[i]);
        const char y = b[i] == '\\' ? '\0' : Lower(b[i]);
        if (x != y) return static_cast<unsigned char>(x) < static_cast<unsigned char>(y);
    }
    if (a.size() != b.size()) return a.size() < b.size();
    return a < b;  // names that differ in case only: a stable, total order
}

bool Wanted(const std::vector<std::string>& only, const NameKeyFn& key, const std::string& name) {
    if (only.empty()) return true;
    const std::string k = key(name);
    for (const std::string& o : only) {
        if (key(o) == k) return true;
    }
    return false;
}

}  // namespace

bool IsUnversioned(const ChangeItem& item) { return item.local == IDS_CHANGES_UNVERSIONED; }

bool CheckedByDefault(const ChangeItem& item) { return item.local != 0 && !IsUnversioned(item); }

void ClassifyFolder(const FolderFacts& facts, const NameKeyFn& key, const TimeTextFn& timeText,
                    const CIgnoreList& ignore, const std::function<bool(const std::string& name)>& isWorkingFolder,
                    const std::vector<std::string>& only, std::vector<ChangeItem>& rows,
                    std::vector<std::string>& subfolders) {
    // Each name is keyed once: the key is the costly part of a large folder.
    std::vector<std::string> diskKeys;
    diskKeys.reserve(facts.disk.size());
    std::unordered_map<std::string, const DiskItem*> onDisk;
    onDisk.reserve(facts.disk.size() * 2);
    for (const DiskItem& item : facts.disk) {
        diskKeys.push_back(key(item.name));
        onDisk.emplace(diskKeys.back(), &item);
    }

    std::unordered_map<std::string, bool> listed;  // key -> true
    listed.reserve(facts.entries.size() * 2);
    for (const CCVSEntry& entry : facts.entries) {
        const std::string k = key(entry.Name);
        listed.emplace(k, true);
        if (!Wanted(only, key, entry.Name)) continue;
        const auto found = onDisk.find(k);
        const DiskItem* file = (found != onDisk.end() && !found->second->directory) ? found->second : nullptr;
        unsigned state = 0;
        if (!file && !(!entry.Revision.empty() && entry.Revision[0] == '-')) {
            state = IDS_CHANGES_MISSING;
        } else {
            state = DecideStatus(entry, [&] { return file ? timeText(file->writeTime) : std::string(); });
            if (state == kStatusOK) continue;
        }
        ChangeItem row;
        row.path = facts.prefix + (file ? file->name : entry.Name);
        row.local = state;
        row.binary = entry.Options == "-kb";
        rows.push_back(std::move(row));
    }

    const std::string adminKey = key("CVS");
    for (size_t i = 0; i < facts.disk.size(); ++i) {
        const DiskItem& item = facts.disk[i];
        const std::string& k = diskKeys[i];
        if (item.directory) {
            if (k == adminKey) continue;
            if (isWorkingFolder(item.name)) {
                if (only.empty()) subfolders.push_back(item.name);
                continue;
            }
        }
        if (listed.count(k) || ignore.Matches(item.name) || !Wanted(only, key, item.name)) continue;
        ChangeItem row;
        row.path = facts.prefix + item.name;
        row.local = IDS_CHANGES_UNVERSIONED;
        row.directory = item.directory;
        rows.push_back(std::move(row));
    }
}

void SortRows(std::vector<ChangeItem>& rows) {
    std::stable_sort(rows.begin(), rows.end(), [](const ChangeItem& a, const ChangeItem& b) {
        const bool ua = IsUnversioned(a), ub = IsUnversioned(b);
        if (ua != ub) return ub;
        return PathLess(a.path, b.path);
    });
}

void MergeRemote(const std::vector<RemoteState>& remote, std::vector<ChangeItem>& rows) {
    std::unordered_map<std::string, size_t> byPath;
    auto fold = [](const std::string& path) {
        std::string k(path);
        for (char& c : k) c = Lower(c);
        return k;
    };
    for (size_t i = 0; i < rows.size(); ++i) byPath.emplace(fold(rows[i].path), i);
    for (const RemoteState& state : remote) {
        const auto found = byPath.find(fold(state.path));
        if (found != byPath.end()) {
            ChangeItem& row = rows[found->second];
            if (state.remote) row.remote = state.remote;
            // The client's letter is newer than the scan only where the scan saw nothing.
            if (row.local == 0 && state.local) row.local = state.local;
            continue;
        }
        if (!state.remote && !state.local) continue;
        ChangeItem row;
        row.path = state.path;
        row.local = state.local;
        row.remote = state.remote;
        byPath.emplace(fold(row.path), rows.size());
        rows.push_back(std::move(row));
    }
    SortRows(rows);
}

bool LooksBinary(std::string_view head) { return IsBinaryContent(head.substr(0, kBinaryHeadSize)); }

bool IsBinaryName(std::string_view name) {
    const size_t slash = name.find_last_of("\\/");
    const std::string_view base = slash == std::string_view::npos ? name : name.substr(slash + 1);
    for (const char* pattern : kBinaryFilePatterns) {
        if (WildcardMatch(pattern, base)) return true;
    }
    return false;
}

CommitPlan PlanCommit(const std::vector<ChangeItem>& checked, const std::function<bool(const std::string&)>& isBinary) {
    CommitPlan plan;
    for (const ChangeItem& row : checked) {
        if (IsUnversioned(row)) {
            if (!row.directory && isBinary(row.path)) {
                plan.addBinary.push_back(row.path);
            } else {
                plan.addText.push_back(row.path);
            }
        } else if (row.local == IDS_CHANGES_MISSING) {
            plan.remove.push_back(row.path);
        } else if (row.local == 0) {
            continue;  // nothing of ours to commit: only the repository changed
        }
        if (!row.directory) plan.commit.push_back(row.path);
    }
    return plan;
}

}  // namespace changes
