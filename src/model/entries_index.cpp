#include "model/entries_index.h"

#include "common/handles.h"
#include "model/core/index_freshness.h"

#include <windows.h>
#include <shlwapi.h>
#include <winternl.h>

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

// The key of a name of ASCII characters alone, which every ANSI code page maps to the same UTF-16 units
// (a double-byte code page's lead bytes are all above 0x7F); false for any other name.
bool AsciiKey(std::string_view name, std::string& key) {
    key.resize(name.size() * 2);
    for (size_t i = 0; i < name.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(name[i]);
        if (c >= 0x80) return false;
        key[2 * i] = static_cast<char>(c >= 'a' && c <= 'z' ? c - ('a' - 'A') : c);
        key[2 * i + 1] = '\0';
    }
    return true;
}

std::string KeyIn(UINT codePage, std::string_view name) {
    std::string key;
    if (AsciiKey(name, key)) return key;
    key.clear();
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
uint64_t Ticks(const LARGE_INTEGER& t) { return static_cast<uint64_t>(t.QuadPart); }

// The wall clock in file-time ticks, to tell a fresh backup from a leftover by its last-write time.
uint64_t Now() {
    FILETIME now = {};
    ::GetSystemTimeAsFileTime(&now);
    return Ticks(now);
}

// The monotonic clock of the freshness rules, in microseconds.
int64_t Micros() {
    static const int64_t frequency = [] {
        LARGE_INTEGER f = {};
        ::QueryPerformanceFrequency(&f);
        return f.QuadPart > 0 ? f.QuadPart : 1;
    }();
    LARGE_INTEGER count = {};
    ::QueryPerformanceCounter(&count);
    return count.QuadPart / frequency * 1000000 + count.QuadPart % frequency * 1000000 / frequency;
}

// What one attribute query tells of a file; any difference means another file or other contents.
struct FileStamp {
    bool exists = false;
    uint64_t size = 0, written = 0, created = 0, changed = 0;

    bool operator==(const FileStamp& o) const {
        return exists == o.exists && size == o.size && written == o.written && created == o.created &&
               changed == o.changed;
    }
    bool operator!=(const FileStamp& o) const { return !(*this == o); }
};

// The query by name that also gives the change time (GetFileAttributesEx drops it): the one the Win32
// function makes itself; it opens nothing the caller could keep.
struct NetworkOpenInformation {  // FILE_NETWORK_OPEN_INFORMATION
    LARGE_INTEGER CreationTime, LastAccessTime, LastWriteTime, ChangeTime, AllocationSize, EndOfFile;
    ULONG FileAttributes;
};
struct NtFunctions {
    LONG(NTAPI* queryFullAttributes)(POBJECT_ATTRIBUTES, NetworkOpenInformation*) = nullptr;
    BOOLEAN(NTAPI* dosPathToNtPath)(PCWSTR, PUNICODE_STRING, PWSTR*, void*) = nullptr;
    void(NTAPI* freeUnicodeString)(PUNICODE_STRING) = nullptr;
    bool Usable() const { return queryFullAttributes && dosPathToNtPath && freeUnicodeString; }
};

const NtFunctions& Nt() {
    static const NtFunctions functions = [] {
        NtFunctions f;
        const HMODULE ntdll = ::GetModuleHandleA("ntdll.dll");
        if (!ntdll) return f;
        f.queryFullAttributes = reinterpret_cast<decltype(f.queryFullAttributes)>(
            reinterpret_cast<void*>(::GetProcAddress(ntdll, "NtQueryFullAttributesFile")));
        f.dosPathToNtPath = reinterpret_cast<decltype(f.dosPathToNtPath)>(
            reinterpret_cast<void*>(::GetProcAddress(ntdll, "RtlDosPathNameToNtPathName_U")));
        f.freeUnicodeString = reinterpret_cast<decltype(f.freeUnicodeString)>(
            reinterpret_cast<void*>(::GetProcAddress(ntdll, "RtlFreeUnicodeString")));
        return f;
    }();
    return functions;
}

// The path as the NT name the query takes; empty when it cannot be made.
std::wstring NtName(const std::string& path) {
    WCHAR wide[MAX_PATH] = {};
    const UINT codePage = ::AreFileApisANSI() ? CP_ACP : CP_OEMCP;  // as the ANSI file functions convert
    const NtFunctions& nt = Nt();
    if (path.empty() || !nt.Usable() || !::MultiByteToWideChar(codePage, 0, path.c_str(), -1, wide, MAX_PATH))
        return std::wstring();
    UNICODE_STRING name = {};
    if (!nt.dosPathToNtPath(wide, &name, nullptr, nullptr)) return std::wstring();
    std::wstring result(name.Buffer, name.Length / sizeof(WCHAR));
    nt.freeUnicodeString(&name);
    return result;
}

bool QueryNtName(const std::wstring& ntName, FileStamp& stamp) {
    stamp = FileStamp();
    UNICODE_STRING name = {};
    name.Buffer = const_cast<PWSTR>(ntName.c_str());
    name.Length = name.MaximumLength = static_cast<USHORT>(ntName.size() * sizeof(WCHAR));
    OBJECT_ATTRIBUTES attributes = {};
    attributes.Length = sizeof attributes;
    attributes.ObjectName = &name;
    attributes.Attributes = OBJ_CASE_INSENSITIVE;
    NetworkOpenInformation info = {};
    if (Nt().queryFullAttributes(&attributes, &info) < 0 || (info.FileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return false;
    stamp.exists = true;
    stamp.size = Ticks(info.EndOfFile);
    stamp.written = Ticks(info.LastWriteTime);
    stamp.created = Ticks(info.CreationTime);
    stamp.changed = Ticks(info.ChangeTime);
    return true;
}

// False when the path names no file (missing, or a folder).
bool QueryFile(const std::string& path, FileStamp& stamp) {
    stamp = FileStamp();
    if (Nt().Usable()) {
        const std::wstring ntName = NtName(path);
        return !ntName.empty() && QueryNtName(ntName, stamp);
    }
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    if (path.empty() || !::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return false;
    stamp.exists = true;
    stamp.size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    stamp.written = Ticks(data.ftLastWriteTime);
    stamp.created = Ticks(data.ftCreationTime);
    return true;
}

// Entries and its log, as both stand.
struct Stamp {
    FileStamp entries, log;
    bool operator==(const Stamp& o) const { return entries == o.entries && log == o.log; }
    bool operator!=(const Stamp& o) const { return !(*this == o); }
};

int64_t TickOf(const Stamp& s) {
    int64_t tick = StampTickMicros(s.entries.changed, s.entries.written);
    if (s.log.exists) tick = std::max(tick, StampTickMicros(s.log.changed, s.log.written));
    return tick;
}

// How long the stamps have provably stood, by the wall clock against their own times; 0 unless they are
// older than a tick by more than clocks usually differ (2 s: a share's clock may run behind this one).
int64_t StampAgeMicros(const Stamp& s) {
    uint64_t latest = std::max(s.entries.changed, s.entries.written);
    if (s.log.exists) latest = std::max({latest, s.log.changed, s.log.written});
    const uint64_t wall = Now();
    if (wall <= latest) return 0;
    const int64_t age = static_cast<int64_t>(std::min<uint64_t>((wall - latest) / 10, 3600ull * 1000000));
    return age > TickOf(s) + 2000000 ? age : 0;
}

struct Snapshot {
    Stamp stamp;
    UINT codePage = 0;
    bool final = false;     // holds the last contents its stamp can stand for: answers any later call with it
    int64_t readStart = 0;  // a call that began before this moment may take it even when not final
    std::shared_ptr<const CEntryIndex> index;
    // When a missing log was last found missing; shared by the snapshot's callers.
    mutable std::atomic<int64_t> logCheckedAt{0};
};

// The log's appearance is looked for at most this often while Entries stays the same.
constexpr int64_t kLogCheckMicros = 100000;

// Whether the client's delete of a file on this folder's volume removes its name at once even while another
// handle is open (a POSIX delete): Windows 10 1903 (build 18362) and later delete so where the file system
// supports it, which the volume reports. Wine, older Windows, FAT and network shares without the flag
// keep the delete pending until the last handle closes.
bool DeletesArePosix(const std::string& folder) {
    static const bool recentWindows = [] {
        using GetVersionFn = LONG(NTAPI*)(OSVERSIONINFOW*);
        const auto getVersion = reinterpret_cast<GetVersionFn>(
            reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleA("ntdll.dll"), "RtlGetVersion")));
        OSVERSIONINFOW version = {};
        version.dwOSVersionInfoSize = sizeof version;
        return getVersion && getVersion(&version) >= 0 && version.dwMajorVersion >= 10 &&
               version.dwBuildNumber >= 18362;
    }();
    if (!recentWindows) return false;
    char root[MAX_PATH] = {};
    DWORD flags = 0;
    const DWORD kPosixUnlinkRename = 0x00000400;  // FILE_SUPPORTS_POSIX_UNLINK_RENAME
    return ::GetVolumePathNameA(folder.c_str(), root, MAX_PATH) &&
           ::GetVolumeInformationA(root, nullptr, 0, nullptr, nullptr, &flags, nullptr, 0) &&
           (flags & kPosixUnlinkRename);
}

// The whole file in memory, its handle closed before the caller parses anything: one open, as few reads as
// the size allows (`expected`, from the attribute query), one close. Shared for reading and writing; for
// deletion only where the delete is a POSIX one (`shareDelete`): there the client's delete and rename go
// through and this handle reads the old contents, elsewhere a delete let through would lose Entries at the
// close, while a refused one leaves it whole. A refused open is tried again a few times: a delete or
// rename holds the file for an instant.
bool ReadWhole(const std::string& path, uint64_t expected, bool shareDelete, std::string& bytes) {
    ferrow::UniqueFile file;
    const DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE | (shareDelete ? FILE_SHARE_DELETE : 0);
    for (int attempt = 0; attempt < 5; ++attempt) {
        if (attempt > 0) ::Sleep(1);
        file.Reset(::CreateFileA(path.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN,
                                 nullptr));
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
// entries. `final`: the stamps had stood a tick when the read began; the snapshot stays so only if they
// still stand after it.
// `logQueriedAt`: no later than the query that found the log missing, when it was.
std::shared_ptr<const Snapshot> ReadSnapshot(const std::string& entries, const std::string& log, const Stamp& stamp,
                                             UINT codePage, bool shareDelete, bool final, int64_t logQueriedAt) {
    const int64_t start = Micros();
    std::string logBytes, entriesBytes;
    if (stamp.log.exists && !ReadWhole(log, stamp.log.size, shareDelete, logBytes)) return nullptr;
    if (!ReadWhole(entries, stamp.entries.size, shareDelete, entriesBytes)) return nullptr;
    // A log that was missing is not looked for again: its appearance is looked for at most every
    // kLogCheckMicros from this read's start, as for any snapshot without one.
    Stamp after;
    QueryFile(entries, after.entries);
    if (stamp.log.exists) QueryFile(log, after.log);

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
    snapshot->final = final && after == stamp;
    snapshot->readStart = after == stamp ? start : kNeverMicros;
    snapshot->index = std::move(index);
    snapshot->logCheckedAt.store(stamp.log.exists ? start : logQueriedAt, std::memory_order_relaxed);
    return snapshot;
}

// What the calls of one folder have seen, and its lock: held to decide and to read, never while waiting.
struct FolderState {
    // Entries' NT name, made once before the state is shared (an absolute folder only: a relative one
    // follows the current folder); the query of every call takes it as it is.
    std::wstring entriesNtName;
    std::mutex lock;
    Stamp seen;                       // the stamps last seen, and since when
    int64_t seenSince = kNeverMicros;
    int64_t replacementSeenAt = kNeverMicros;
    bool gaveUp = false;              // a wait for the client ran out on these stamps: no other call waits on
                                      // them while the backup stays
    Stamp gaveUpOn;
    int deleteSharing = -1;           // DeletesArePosix of the folder, once known
};

// Folders by path as given, most recently used first.
class Cache {
public:
    struct Slot {
        std::shared_ptr<const Snapshot> snapshot;
        std::shared_ptr<FolderState> state = std::make_shared<FolderState>();
    };

    Slot Find(const std::string& folder) {
        std::lock_guard<std::mutex> lock(mutex_);
        auto it = byFolder_.find(folder);
        if (it == byFolder_.end()) return Slot();
        order_.splice(order_.begin(), order_, it->second);
        return it->second->second;
    }

    // The folder's slot as it is now, or `fresh` put in its place when the folder has none.
    Slot FindOrAdd(const std::string& folder, const Slot& fresh) {
        Slot dropped;  // released after the lock
        std::lock_guard<std::mutex> lock(mutex_);
        auto it = byFolder_.find(folder);
        if (it != byFolder_.end()) {
            order_.splice(order_.begin(), order_, it->second);
            return it->second->second;
        }
        order_.emplace_front(folder, fresh);
        byFolder_[folder] = order_.begin();
        if (order_.size() > kMaxCachedFolders) {
            dropped = std::move(order_.back().second);
            byFolder_.erase(order_.back().first);
            order_.pop_back();
        }
        return fresh;
    }

    // Swaps in a snapshot, if the folder still has that state (it was not dropped meanwhile).
    void Put(const std::string& folder, const std::shared_ptr<FolderState>& state,
             std::shared_ptr<const Snapshot> snapshot) {
        std::lock_guard<std::mutex> lock(mutex_);
        auto it = byFolder_.find(folder);
        if (it == byFolder_.end() || it->second->second.state != state) return;
        snapshot.swap(it->second->second.snapshot);  // the old one released after the lock
    }

    void Drop(const std::string& folder, const std::shared_ptr<FolderState>& state) {
        Slot dropped;
        std::lock_guard<std::mutex> lock(mutex_);
        auto it = byFolder_.find(folder);
        if (it == byFolder_.end() || it->second->second.state != state) return;
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

// The snapshot answers a call that began at `callStart` and saw `stamp`: final for that stamp, or read
// after the call began (it then shows the disk as it stood after the call was made).
bool Answers(const std::shared_ptr<const Snapshot>& s, const Stamp& stamp, UINT codePage, int64_t callStart) {
    return s && s->stamp == stamp && s->codePage == codePage && (s->final || s->readStart >= callStart);
}

// A backup written in the last seconds means the client is between its write and its rename; an older one
// is a leftover of a client that was stopped there. (Judged by the wall clock against the file's time: a
// share whose clock is far off is judged wrongly, as before.)
bool BackupIsFresh(const std::string& backup) {
    if (backup.empty()) return false;
    FileStamp stamp;
    const uint64_t kRecent = 5000ull * 10000;  // 5 s in file-time ticks
    return QueryFile(backup, stamp) && Now() < stamp.written + kRecent;
}

BOOL CALLBACK StopAtVisibleWindow(HWND window, LPARAM found) {
    if (!::IsWindowVisible(window)) return TRUE;
    *reinterpret_cast<bool*>(found) = true;
    return FALSE;
}

// The calling thread shows a window: it is a window's thread (Explorer's, or a dialog's), which must not
// wait. A thread that only owns hidden windows (a COM apartment's) may.
bool ThreadShowsWindow() {
    bool shows = false;
    ::EnumThreadWindows(::GetCurrentThreadId(), StopAtVisibleWindow, reinterpret_cast<LPARAM>(&shows));
    return shows;
}

std::string Combine(const std::string& folder, const char* name) {
    char path[MAX_PATH] = {};
    if (!::PathCombineA(path, folder.c_str(), name)) return std::string();
    return path;
}

struct FolderFiles {
    std::string entries, log, backup;  // a name that does not fit is no file; the backup's only when needed
};

// Entries, and the log: looked at every call while there is one or its snapshot is not final; looked for
// at most every kLogCheckMicros while Entries stays as read.
bool QueryStamp(const FolderFiles& files, const FolderState* state, const std::shared_ptr<const Snapshot>& snapshot,
                int64_t now, Stamp& stamp) {
    const bool present = state && !state->entriesNtName.empty() ? QueryNtName(state->entriesNtName, stamp.entries)
                                                                : QueryFile(files.entries, stamp.entries);
    if (!present) return false;
    if (snapshot && !snapshot->stamp.log.exists && snapshot->final && snapshot->stamp.entries == stamp.entries &&
        now < snapshot->logCheckedAt.load(std::memory_order_relaxed) + kLogCheckMicros) {
        stamp.log = snapshot->stamp.log;
        return true;
    }
    QueryFile(files.log, stamp.log);
    if (snapshot && snapshot->stamp == stamp) snapshot->logCheckedAt.store(now, std::memory_order_relaxed);
    return true;
}

// The slow way of a call: the folder changed, or its snapshot is not final. Decides under the folder's lock
// (model/core/index_freshness.h), reads there, and waits for the client outside it.
std::shared_ptr<const CEntryIndex> Refresh(const std::string& folder, const FolderFiles& files, Cache::Slot slot,
                                           Stamp stamp, bool present, UINT codePage, int64_t callStart,
                                           ClientWait wait) {
    // A state only this call holds is not yet in the cache: it may still be written.
    if (slot.state.use_count() == 1 && !::PathIsRelativeA(folder.c_str()))
        slot.state->entriesNtName = NtName(files.entries);
    slot = TheCache().FindOrAdd(folder, slot);
    const std::shared_ptr<FolderState> state = slot.state;
    const int64_t deadline = callStart + kClientWaitMicros;
    int mayWait = wait == ClientWait::kBounded ? 1 : wait == ClientWait::kNever ? 0 : -1;  // -1: ask when due
    bool backup = false;
    int64_t waitMicros = 1000;
    for (int round = 0;; ++round) {
        {
            std::lock_guard<std::mutex> guard(state->lock);
            const std::shared_ptr<const Snapshot> current = TheCache().Find(folder).snapshot;
            // Another thread may have read the files while this one waited for the lock.
            if (present && Answers(current, stamp, codePage, callStart)) return current->index;
            const int64_t now = Micros();
            if (present && stamp != state->seen) {
                state->seen = stamp;
                state->seenSince = now - StampAgeMicros(stamp);
            }
            if (round == 0) backup = BackupIsFresh(files.backup);
            if (backup || !present) state->replacementSeenAt = now;
            const bool usable = current && current->codePage == codePage;
            if (!present && !backup) {
                // Gone, unless the client came between the two queries (its backup appeared, or its rename
                // ended): look once more.
                backup = BackupIsFresh(files.backup);
                if (!backup) present = QueryStamp(files, state.get(), nullptr, now, stamp);
                if (present || backup) continue;
                TheCache().Drop(folder, state);
                return nullptr;
            }
            FolderObservation o;
            o.now = now;
            o.stampSeenSince = present ? state->seenSince : now;
            o.stampTick = present ? TickOf(stamp) : kStampTickMicros;
            o.replacementSeenAt = state->replacementSeenAt;
            o.backupPresent = backup;
            // Only a long replacement (the backup stays) makes later calls skip their wait; after the rename
            // the wait is for one tick at most.
            const bool gaveUp = backup && state->gaveUp && state->gaveUpOn == stamp;
            if (mayWait < 0 && NextIndexStep(o, usable, true, deadline) == IndexStep::kWait)
                mayWait = ThreadShowsWindow() ? 0 : 1;
            const IndexStep step = NextIndexStep(o, usable, mayWait == 1 && !gaveUp, deadline);
            // A wait for the client looks again every millisecond; one for the stamps to stand, once they have.
            waitMicros = ClientIsReplacing(o) ? 1000 : o.stampSeenSince + o.stampTick - now;
            if (step == IndexStep::kAnswerUntrusted) {
                if (mayWait == 1 && !gaveUp && now >= deadline) {
                    state->gaveUp = true;
                    state->gaveUpOn = stamp;
                }
                return current->index;
            }
            if (step == IndexStep::kRead) {
                if (!present) return usable ? current->index : nullptr;  // between the client's delete and rename
                if (state->deleteSharing < 0) state->deleteSharing = DeletesArePosix(folder) ? 1 : 0;
                std::shared_ptr<const Snapshot> fresh = ReadSnapshot(files.entries, files.log, stamp, codePage,
                                                                     state->deleteSharing == 1, ReadIsFinal(o, now),
                                                                     callStart);
                if (fresh) {
                    state->gaveUp = false;
                    TheCache().Put(folder, state, fresh);
                    return fresh->index;
                }
                // Unreadable. While the client replaces the file the last snapshot answers; otherwise no answer,
                // never the one of an older file.
                if (BackupIsFresh(files.backup)) return usable ? current->index : nullptr;
                if (round == 0 && QueryStamp(files, state.get(), nullptr, Micros(), stamp)) continue;
                TheCache().Drop(folder, state);
                return nullptr;
            }
        }
        // Waiting, outside the lock: for the backup to go (looking at it alone, so that no query of Entries
        // meets the client's delete), then for Entries to stand; a millisecond at a time, to the deadline.
        ::Sleep(static_cast<DWORD>(std::max<int64_t>(1, (waitMicros + 999) / 1000)));
        backup = BackupIsFresh(files.backup);
        if (!backup) present = QueryStamp(files, state.get(), nullptr, Micros(), stamp);
    }
}

}  // namespace

std::string EntryNameKey(std::string_view name) {
    std::string key;
    if (AsciiKey(name, key)) return key;  // no need of the code page, whose look-up costs more than the key
    return KeyIn(ThreadAnsiCodePage(), name);
}

std::shared_ptr<const CEntryIndex> GetEntryIndex(const std::string& folder, ClientWait wait) {
    const int64_t callStart = Micros();
    FolderFiles files;
    files.entries = Combine(folder, "CVS\\Entries");
    if (files.entries.empty()) return nullptr;
    if (files.entries.size() + 4 < MAX_PATH) files.log = files.entries + ".Log";
    const UINT codePage = ThreadAnsiCodePage();
    Cache::Slot slot = TheCache().Find(folder);
    Stamp stamp;
    const bool present = QueryStamp(files, slot.state.get(), slot.snapshot, callStart, stamp);
    if (present && slot.snapshot && slot.snapshot->final && Answers(slot.snapshot, stamp, codePage, callStart))
        return slot.snapshot->index;
    if (files.entries.size() + 7 < MAX_PATH) files.backup = files.entries + ".Backup";
    return Refresh(folder, files, std::move(slot), stamp, present, codePage, callStart, wait);
}
