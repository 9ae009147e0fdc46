#include "model/entries_index.h"

#include "common/handles.h"

#include <windows.h>
#include <shlwapi.h>

#include <algorithm>
#include <atomic>
#include <list>
#include <mutex>
#include <unordered_map>
#include <utility>

namespace {

using UpcaseFn = WCHAR(WINAPI*)(WCHAR);

// The system's upper-case table, the one CompareStringOrdinal uses when it ignores case.
UpcaseFn Upcase() {
    static const UpcaseFn upcase = reinterpret_cast<UpcaseFn>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleA("ntdll.dll"), "RtlUpcaseUnicodeChar")));
    return upcase;
}

UINT ThreadAnsiCodePage() {
    UINT cp = 0;
    if (!::GetLocaleInfoA(::GetThreadLocale(), LOCALE_IDEFAULTANSICODEPAGE | LOCALE_RETURN_NUMBER,
                          reinterpret_cast<LPSTR>(&cp), sizeof cp / sizeof(char)) ||
        cp == 0)
        return CP_ACP;
    return cp;
}

std::string KeyIn(UINT codePage, std::string_view name) {
    std::string key;
    if (name.empty()) return key;
    const int n = ::MultiByteToWideChar(codePage, 0, name.data(), static_cast<int>(name.size()), nullptr, 0);
    if (n <= 0) return key;
    std::wstring wide(static_cast<size_t>(n), L'\0');
    ::MultiByteToWideChar(codePage, 0, name.data(), static_cast<int>(name.size()), &wide[0], n);
    const UpcaseFn upcase = Upcase();
    key.resize(wide.size() * 2);
    for (size_t i = 0; i < wide.size(); ++i) {
        const WCHAR c = upcase ? upcase(wide[i]) : wide[i];
        key[2 * i] = static_cast<char>(c & 0xFF);
        key[2 * i + 1] = static_cast<char>(c >> 8);
    }
    return key;
}

uint64_t Ticks(const FILETIME& t) { return (static_cast<uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime; }

uint64_t Now() {
    FILETIME now = {};
    ::GetSystemTimeAsFileTime(&now);
    return Ticks(now);
}

constexpr uint64_t kMillisecond = 10000;  // in file-time ticks

// What one attribute query tells of a file; any difference means another file or other contents.
struct FileStamp {
    bool exists = false;
    DWORD sizeHigh = 0, sizeLow = 0;
    uint64_t written = 0, created = 0;

    bool operator==(const FileStamp& o) const {
        return exists == o.exists && sizeHigh == o.sizeHigh && sizeLow == o.sizeLow && written == o.written &&
               created == o.created;
    }
};

// False when the path names no file (missing, or a folder).
bool QueryFile(const std::string& path, FileStamp& stamp) {
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    stamp = FileStamp();
    if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return false;
    stamp.exists = true;
    stamp.sizeHigh = data.nFileSizeHigh;
    stamp.sizeLow = data.nFileSizeLow;
    stamp.written = Ticks(data.ftLastWriteTime);
    stamp.created = Ticks(data.ftCreationTime);
    return true;
}

uint64_t Size(const FileStamp& stamp) { return (static_cast<uint64_t>(stamp.sizeHigh) << 32) | stamp.sizeLow; }

// Entries and its log, as both stand.
struct Stamp {
    FileStamp entries, log;
    bool operator==(const Stamp& o) const { return entries == o.entries && log == o.log; }
};

struct Snapshot {
    Stamp stamp;
    UINT codePage = 0;
    bool trusted = false;    // may answer any later call while the stamp is unchanged
    uint64_t rereadAt = 0;   // untrusted: the stamp unchanged, it answers calls until then
    std::shared_ptr<const CEntryIndex> index;
    // When the log was last found as it was read; shared by the snapshot's callers.
    mutable std::atomic<uint64_t> logCheckedAt{0};
};

// The log changes alone only while the client runs or after it was interrupted, so it is asked for at
// most this often while Entries stays the same (Entries' own attribute query is made at every call).
constexpr uint64_t kLogCheckInterval = 100 * 10000;  // 100 ms in file-time ticks

// The whole file in memory, its handle closed before the caller parses anything: one open, as few reads as
// the size allows (`expected`, from the attribute query), one close. Shared for reading and writing but not
// for deletion: while the handle is open the client's delete of Entries fails (and its rename after it),
// which leaves Entries whole; a delete the handle let through would lose the file at the close. A refused
// open is tried again a few times: a delete or rename holds the file for an instant.
bool ReadWhole(const std::string& path, uint64_t expected, std::string& bytes) {
    ferrow::UniqueFile file;
    for (int attempt = 0; attempt < 5; ++attempt) {
        if (attempt > 0) ::Sleep(1);
        file.Reset(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                 FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
        if (file || ::GetLastError() != ERROR_SHARING_VIOLATION) break;
    }
    if (!file) return false;
    if (expected > bytes.max_size() / 2) return false;
    // One byte more than expected: a short read then ends the file; a file that grew is read on to its end.
    bytes.resize(static_cast<size_t>(expected) + 1);
    size_t got = 0;
    for (;;) {
        if (got == bytes.size()) bytes.resize(got + 64 * 1024);
        DWORD read = 0;
        const DWORD want = static_cast<DWORD>(std::min<size_t>(bytes.size() - got, 1u << 30));
        if (!::ReadFile(file.Get(), &bytes[got], want, &read, nullptr)) return false;
        got += read;
        if (read < want) break;
    }
    bytes.resize(got);
    return true;
}

// Reads the log first and Entries second: the client writes Entries first and deletes the log second, so
// a snapshot taken across its fold holds the new Entries with the old log again, which gives the same
// entries.
std::shared_ptr<const Snapshot> ReadSnapshot(const std::string& entries, const std::string& log, const Stamp& stamp,
                                             UINT codePage) {
    const uint64_t start = Now();  // taken before reading: a write after this moment is newer
    std::string logBytes, entriesBytes;
    if (stamp.log.exists && !ReadWhole(log, Size(stamp.log), logBytes)) return nullptr;
    if (!ReadWhole(entries, Size(stamp.entries), entriesBytes)) return nullptr;
    Stamp after;
    QueryFile(entries, after.entries);
    QueryFile(log, after.log);

    auto index = std::make_shared<CEntryIndex>([codePage](std::string_view name) { return KeyIn(codePage, name); });
    MemoryLineSplitter entriesLines(entriesBytes);
    if (!index->AddLines(entriesLines)) return nullptr;
    if (stamp.log.exists) {
        MemoryLineSplitter logLines(logBytes);
        if (!index->ApplyLog(logLines)) return nullptr;
    }
    auto snapshot = std::make_shared<Snapshot>();
    snapshot->stamp = stamp;
    snapshot->codePage = codePage;
    // A file written while or just before it was read may be written again in place within one tick of its
    // time stamp (two seconds on some file systems) without a change of its stamp: such a snapshot is read
    // again, at most every 50 ms, until two seconds have passed (the client's own rewrites, by a new file,
    // always change the stamp and are seen at the next call).
    const uint64_t kTwoSeconds = 2000 * kMillisecond;
    const uint64_t written = std::max(stamp.entries.written, stamp.log.written);
    snapshot->trusted = after == stamp && start >= written + kTwoSeconds;
    if (after == stamp) snapshot->rereadAt = start + 50 * kMillisecond;
    snapshot->index = std::move(index);
    snapshot->logCheckedAt.store(start, std::memory_order_relaxed);
    return snapshot;
}

// Folders by path as given, most recently used first. Each has a lock for reading it, so that threads
// asking about one folder read its files once rather than each on its own.
class Cache {
public:
    struct Slot {
        std::shared_ptr<const Snapshot> snapshot;
        std::shared_ptr<std::mutex> reading = std::make_shared<std::mutex>();
    };

    Slot Find(const std::string& folder) {
        std::lock_guard<std::mutex> lock(mutex_);
        auto it = byFolder_.find(folder);
        if (it == byFolder_.end()) return Slot();
        order_.splice(order_.begin(), order_, it->second);
        return it->second->second;
    }

    void Put(const std::string& folder, const Slot& slot) {
        Slot dropped;  // released after the lock
        std::lock_guard<std::mutex> lock(mutex_);
        auto it = byFolder_.find(folder);
        if (it != byFolder_.end()) {
            dropped = std::exchange(it->second->second, slot);
            order_.splice(order_.begin(), order_, it->second);
            return;
        }
        order_.emplace_front(folder, slot);
        byFolder_[folder] = order_.begin();
        if (order_.size() > kMaxCachedFolders) {
            dropped = std::move(order_.back().second);
            byFolder_.erase(order_.back().first);
            order_.pop_back();
        }
    }

    void Drop(const std::string& folder) {
        Slot dropped;
        std::lock_guard<std::mutex> lock(mutex_);
        auto it = byFolder_.find(folder);
        if (it == byFolder_.end()) return;
        dropped = std::move(it->second->second);
        order_.erase(it->second);
        byFolder_.erase(it);
    }

private:
    using Item = std::pair<std::string, Slot>;
    std::mutex mutex_;
    std::list<Item> order_;
    std::unordered_map<std::string, std::list<Item>::iterator> byFolder_;
};

Cache& TheCache() {
    static Cache* cache = new Cache;  // never destroyed: callers may still ask while the module unloads
    return *cache;
}

bool Answers(const std::shared_ptr<const Snapshot>& s, const Stamp& stamp, UINT codePage, uint64_t now) {
    return s && s->stamp == stamp && s->codePage == codePage && (s->trusted || now < s->rereadAt);
}

// The client writes CVS/Entries.Backup, deletes Entries and renames the backup into its place; a backup
// written in the last seconds means it is between those steps. An older one is a leftover of a client that
// was stopped there.
bool ClientIsReplacing(const std::string& backup, uint64_t now) {
    if (backup.empty()) return false;
    FileStamp stamp;
    const uint64_t kRecent = 5000 * kMillisecond;
    return QueryFile(backup, stamp) && now < stamp.written + kRecent;
}

std::string Combine(const std::string& folder, const char* name) {
    char path[MAX_PATH] = {};
    if (!::PathCombineA(path, folder.c_str(), name)) return std::string();
    return path;
}

}  // namespace

std::string EntryNameKey(std::string_view name) { return KeyIn(ThreadAnsiCodePage(), name); }

std::shared_ptr<const CEntryIndex> GetEntryIndex(const std::string& folder) {
    const std::string entries = Combine(folder, "CVS\\Entries");
    if (entries.empty()) return nullptr;
    Stamp stamp;
    bool present = QueryFile(entries, stamp.entries);
    const UINT codePage = ThreadAnsiCodePage();
    const uint64_t now = Now();
    Cache::Slot slot = TheCache().Find(folder);
    // The other two files beside Entries; a name that does not fit is no file.
    const std::string log = entries.size() + 4 < MAX_PATH ? entries + ".Log" : std::string();
    if (present && slot.snapshot && slot.snapshot->stamp.entries == stamp.entries &&
        now < slot.snapshot->logCheckedAt.load(std::memory_order_relaxed) + kLogCheckInterval) {
        stamp.log = slot.snapshot->stamp.log;
    } else if (present && !log.empty()) {
        QueryFile(log, stamp.log);
        if (slot.snapshot && slot.snapshot->stamp == stamp) slot.snapshot->logCheckedAt.store(now, std::memory_order_relaxed);
    }
    if (present && Answers(slot.snapshot, stamp, codePage, now)) return slot.snapshot->index;
    const std::string backup = entries.size() + 7 < MAX_PATH ? entries + ".Backup" : std::string();
    const bool usable = slot.snapshot && slot.snapshot->codePage == codePage;

    // While the client replaces Entries, the last snapshot answers (not trusted: the next call looks again).
    // Without one the files are read: a wrong answer would stay, and the client's refused rename leaves
    // Entries whole and its log behind.
    if (usable && ClientIsReplacing(backup, now)) return slot.snapshot->index;
    std::lock_guard<std::mutex> reading(*slot.reading);
    // Another thread may have read the files while this one waited.
    Cache::Slot current = TheCache().Find(folder);
    if (present && current.reading == slot.reading && current.snapshot != slot.snapshot &&
        Answers(current.snapshot, stamp, codePage, now))
        return current.snapshot->index;
    // Twice: Entries is missing, or its open refused, for the instant of the client's delete and rename,
    // which may have ended by the time the backup is looked for.
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (attempt > 0) {
            present = QueryFile(entries, stamp.entries);
            if (present) QueryFile(log, stamp.log);
        }
        std::shared_ptr<const Snapshot> fresh = present ? ReadSnapshot(entries, log, stamp, codePage) : nullptr;
        if (fresh) {
            slot.snapshot = std::move(fresh);
            TheCache().Put(folder, slot);
            return slot.snapshot->index;
        }
        if (usable && ClientIsReplacing(backup, Now())) return slot.snapshot->index;
    }
    TheCache().Drop(folder);
    return nullptr;
}
