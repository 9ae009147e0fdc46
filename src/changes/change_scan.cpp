#include "changes/change_scan.h"

#include "changes/core/ignore_rules.h"
#include "common/exception_guard.h"
#include "common/handles.h"
#include "exec/command_line.h"
#include "model/core/timestamp.h"
#include "model/entries_index.h"
#include "model/file_status.h"
#include "settings/settings_store.h"

#include <windows.h>

#include <algorithm>
#include <condition_variable>
#include <iterator>
#include <mutex>
#include <new>
#include <unordered_map>
#include <utility>

namespace changes {

namespace {

bool IsDirectory(const std::string& path) {
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

struct FindTraits {  // FindFirstFile: "no handle" is INVALID_HANDLE_VALUE, closed by FindClose
    using Type = HANDLE;
    static Type Invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static void Close(Type h) noexcept { ::FindClose(h); }
};

// One enumeration of the folder (the basic information, fetched in large blocks).
void ListFolder(const std::string& folder, std::vector<DiskItem>& items) {
    WIN32_FIND_DATAA data = {};
    const std::string pattern = folder + "\\*";
    ferrow::UniqueHandle<FindTraits> find(::FindFirstFileExA(pattern.c_str(), FindExInfoBasic, &data,
                                                            FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH));
    // Systems before Windows 7 refuse the two flags.
    if (!find) find.Reset(::FindFirstFileA(pattern.c_str(), &data));
    if (!find) return;
    do {
        const char* name = data.cFileName;
        if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'))) continue;
        DiskItem item;
        item.name = name;
        item.directory = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        item.writeTime = (static_cast<uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) |
                         data.ftLastWriteTime.dwLowDateTime;
        items.push_back(std::move(item));
    } while (::FindNextFileA(find.Get(), &data));
}

std::string ReadSmallFile(const std::string& path) {
    ferrow::UniqueFile file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return std::string();
    std::string text(64 * 1024, '\0');
    DWORD got = 0;
    if (!::ReadFile(file.Get(), &text[0], static_cast<DWORD>(text.size()), &got, nullptr)) return std::string();
    text.resize(got);
    return text;
}

// The time text of the configured rule, with the daylight rule's answer kept per quarter hour: every
// zone's transitions fall on a quarter hour, and the files of a working copy share few of them.
class CTimeTexts {
public:
    CTimeTexts() : cvsnt_(settings::UseCVSNTTimestamps()) {}
    std::string operator()(uint64_t writeTime) {
        const int64_t seconds = FileTimeToUnixSeconds(writeTime);
        if (cvsnt_) return FormatTimestamp(seconds);
        const int64_t quarter = seconds >= 0 ? seconds / 900 : (seconds - 899) / 900;
        auto found = shift_.find(quarter);
        if (found == shift_.end()) found = shift_.emplace(quarter, ApplyDaylightRule(seconds) - seconds).first;
        return FormatTimestamp(seconds + found->second);
    }

private:
    bool cvsnt_;
    std::unordered_map<int64_t, int64_t> shift_;
};

struct Pending {
    std::string folder;
    std::string prefix;
    std::vector<std::string> only;
};

// The client's list before a folder's own .cvsignore: its defaults, the user's %HOME%\.cvsignore and the
// CVSIGNORE variable. A .cvsignore applies to its own folder only, as in the client.
CIgnoreList UserIgnoreList() {
    CIgnoreList list;
    char value[32768] = {};
    const DWORD home = ::GetEnvironmentVariableA("HOME", value, sizeof value);
    if (home > 0 && home < sizeof value) list = list.With(ReadSmallFile(std::string(value) + "\\.cvsignore"));
    const DWORD own = ::GetEnvironmentVariableA("CVSIGNORE", value, sizeof value);
    if (own > 0 && own < sizeof value) list = list.With(value);
    return list;
}

void ScanFolder(const Pending& job, const CIgnoreList& userIgnore, CTimeTexts& times, std::vector<ChangeItem>& rows,
                std::vector<Pending>& found) {
    FolderFacts facts;
    facts.prefix = job.prefix;
    ListFolder(job.folder, facts.disk);
    CIgnoreList ignore = userIgnore;
    for (const DiskItem& item : facts.disk) {
        if (!item.directory && item.name.size() == 10 && ::lstrcmpiA(item.name.c_str(), ".cvsignore") == 0) {
            ignore = ignore.With(ReadSmallFile(job.folder + "\\" + item.name));
            break;
        }
    }
    // The scan's caller waits for it anyway: each of its threads may wait, bounded, for the client.
    if (const std::shared_ptr<const CEntryIndex> index = GetEntryIndex(job.folder, ClientWait::kBounded))
        facts.entries = index->Entries();
    std::vector<std::string> subfolders;
    ClassifyFolder(
        facts, EntryNameKey, [&](uint64_t t) { return times(t); }, ignore,
        [&](const std::string& name) { return IsDirectory(job.folder + "\\" + name + "\\CVS"); }, job.only, rows,
        subfolders);
    for (std::string& name : subfolders) {
        Pending next{job.folder + "\\" + name, job.prefix + name + "\\", {}};
        found.push_back(std::move(next));
    }
}

// The folders still to scan, shared by the scan's threads. The scan is over when none is left and no
// thread is scanning one (a folder being scanned may add its subfolders), or when a thread failed.
class CFolderQueue {
public:
    explicit CFolderQueue(std::vector<Pending> jobs) : jobs_(std::move(jobs)) {}

    // The next folder; false when the scan is over.
    bool Take(Pending& job) {
        std::unique_lock<std::mutex> lock(mutex_);
        ready_.wait(lock, [this] { return stopped_ || !jobs_.empty() || busy_ == 0; });
        if (stopped_ || jobs_.empty()) return false;
        job = std::move(jobs_.back());
        jobs_.pop_back();
        ++busy_;
        return true;
    }

    // The folder taken last by the calling thread is scanned; `found` are its subfolders.
    void Done(std::vector<Pending>& found) {
        std::lock_guard<std::mutex> lock(mutex_);
        for (Pending& job : found) jobs_.push_back(std::move(job));
        --busy_;
        ready_.notify_all();
    }

    void Stop() {
        std::lock_guard<std::mutex> lock(mutex_);
        stopped_ = true;
        ready_.notify_all();
    }

private:
    std::mutex mutex_;
    std::condition_variable ready_;
    std::vector<Pending> jobs_;
    int busy_ = 0;
    bool stopped_ = false;
};

// One thread's part of a scan: its own rows and time texts; the queue and the ignore list are shared
// (the list is never changed). A failure stops the whole scan.
struct ScanPart {
    CFolderQueue* queue = nullptr;
    const CIgnoreList* userIgnore = nullptr;
    CTimeTexts times;
    std::vector<ChangeItem> rows;
    HRESULT result = S_OK;

    void Run() {
        result = ferrow::GuardedCall([this] {
            Pending job;
            std::vector<Pending> found;
            while (queue->Take(job)) {
                found.clear();
                ScanFolder(job, *userIgnore, times, rows, found);
                queue->Done(found);
            }
            return S_OK;
        });
        if (FAILED(result)) queue->Stop();
    }

    static DWORD WINAPI Entry(void* part) {
        static_cast<ScanPart*>(part)->Run();
        return 0;
    }
};

// Threads besides the caller's: enumerating a folder waits mostly on the file system (under Wine on the
// file information of each name), which a second thread overlaps.
unsigned HelperThreads() {
    SYSTEM_INFO info = {};
    ::GetNativeSystemInfo(&info);
    return std::min<unsigned>(3, std::max<DWORD>(info.dwNumberOfProcessors, 2) - 1);
}

}  // namespace

std::string FullPath(const std::string& base, const std::string& path) {
    if (path.empty()) return base;
    return base + "\\" + path;
}

bool ScanChanges(const std::vector<std::string>& selection, ScanResult& result) {
    result.rows.clear();
    result.base.clear();
    if (selection.empty()) return false;
    if (selection.size() == 1 && IsDirectory(selection.front())) {
        result.base = selection.front();
    } else if (!GetCommonDirectory(selection, result.base)) {
        return false;
    }
    while (result.base.size() > 3 && result.base.back() == '\\') result.base.pop_back();

    // The selected files grouped by folder; each selected folder a walk of its own.
    std::vector<Pending> queue;
    std::unordered_map<std::string, size_t> fileFolders;
    for (const std::string& path : selection) {
        std::string relative;
        if (path.size() > result.base.size() && path.compare(0, result.base.size(), result.base) == 0)
            relative = path.substr(result.base.size() + 1);
        if (IsDirectory(path)) {
            queue.push_back(Pending{path, relative.empty() ? std::string() : relative + "\\", {}});
            continue;
        }
        const size_t slash = path.find_last_of('\\');
        if (slash == std::string::npos) continue;
        const std::string folder = path.substr(0, slash);
        const std::string prefix = relative.size() > path.size() - slash - 1
                                       ? relative.substr(0, relative.size() - (path.size() - slash - 1))
                                       : std::string();
        const auto found = fileFolders.find(folder);
        if (found == fileFolders.end()) {
            fileFolders.emplace(folder, queue.size());
            queue.push_back(Pending{folder, prefix, {path.substr(slash + 1)}});
        } else {
            queue[found->second].only.push_back(path.substr(slash + 1));
        }
    }
    const CIgnoreList userIgnore = UserIgnoreList();
    CFolderQueue folders(std::move(queue));
    std::vector<ScanPart> parts(1 + HelperThreads());
    for (ScanPart& part : parts) {
        part.queue = &folders;
        part.userIgnore = &userIgnore;
    }
    // Every helper is waited for before the parts go: the caller's own part runs meanwhile.
    std::vector<ferrow::UniqueKernelHandle> helpers;
    helpers.reserve(parts.size());  // no allocation, so no throw, once a helper runs
    for (size_t i = 1; i < parts.size(); ++i) {
        ferrow::UniqueKernelHandle helper(::CreateThread(nullptr, 0, ScanPart::Entry, &parts[i], 0, nullptr));
        if (helper) helpers.push_back(std::move(helper));
    }
    parts[0].Run();
    for (const ferrow::UniqueKernelHandle& helper : helpers) ::WaitForSingleObject(helper.Get(), INFINITE);
    for (ScanPart& part : parts) {
        if (part.result == E_OUTOFMEMORY) throw std::bad_alloc();
        if (FAILED(part.result)) return false;
        result.rows.insert(result.rows.end(), std::make_move_iterator(part.rows.begin()),
                           std::make_move_iterator(part.rows.end()));
    }
    SortRows(result.rows);
    return true;
}

}  // namespace changes
