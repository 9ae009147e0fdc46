#include "model/entries_index.h"

#include "common/handles.h"

#include <windows.h>
#include <shlwapi.h>

#include <algorithm>
#include <cstring>
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

// What one attribute query tells of the file; any difference means another file or other contents.
struct Stamp {
    DWORD sizeHigh = 0, sizeLow = 0;
    FILETIME written = {}, created = {};

    bool operator==(const Stamp& o) const {
        return sizeHigh == o.sizeHigh && sizeLow == o.sizeLow && ::CompareFileTime(&written, &o.written) == 0 &&
               ::CompareFileTime(&created, &o.created) == 0;
    }
};

uint64_t Ticks(const FILETIME& t) { return (static_cast<uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime; }

struct Snapshot {
    Stamp stamp;
    UINT codePage = 0;
    bool trusted = false;  // may answer the next call if the stamp is unchanged
    std::shared_ptr<const CEntryIndex> index;
};

// Delivers the file's bytes to the line splitter from large sequential reads.
class FileLines : public LineSplitter {
public:
    explicit FileLines(HANDLE file) : file_(file) {}

protected:
    int32_t ReadBlock(char* buffer, size_t size, size_t& got) override {
        got = 0;
        while (got < size) {
            if (pos_ == count_) {
                if (end_) break;
                DWORD read = 0;
                if (!::ReadFile(file_, chunk_, sizeof chunk_, &read, nullptr))
                    return HRESULT_FROM_WIN32(::GetLastError());
                pos_ = 0;
                count_ = read;
                end_ = read == 0;
                continue;
            }
            const size_t n = std::min(size - got, count_ - pos_);
            std::memcpy(buffer + got, chunk_ + pos_, n);
            got += n;
            pos_ += n;
        }
        return 0;
    }

private:
    HANDLE file_;
    char chunk_[64 * 1024];
    size_t pos_ = 0, count_ = 0;
    bool end_ = false;
};

std::shared_ptr<const Snapshot> ReadSnapshot(const std::string& entries, const Stamp& stamp, UINT codePage) {
    FILETIME now = {};
    ::GetSystemTimeAsFileTime(&now);  // taken before reading: a write after this moment is newer
    ferrow::UniqueFile file(::CreateFileA(entries.c_str(), GENERIC_READ,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                          OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file) return nullptr;
    auto index = std::make_shared<CEntryIndex>([codePage](std::string_view name) { return KeyIn(codePage, name); });
    {
        auto lines = std::make_unique<FileLines>(file.Get());  // its buffer is too large for the stack
        if (!index->AddLines(*lines)) return nullptr;
    }
    BY_HANDLE_FILE_INFORMATION after = {};
    const bool same = ::GetFileInformationByHandle(file.Get(), &after) && after.nFileSizeHigh == stamp.sizeHigh &&
                      after.nFileSizeLow == stamp.sizeLow &&
                      ::CompareFileTime(&after.ftLastWriteTime, &stamp.written) == 0;
    auto snapshot = std::make_shared<Snapshot>();
    snapshot->stamp = stamp;
    snapshot->codePage = codePage;
    // Written while or just before it was read: good for this call only.
    const uint64_t kTwoSeconds = 2 * 10000000ULL;
    snapshot->trusted = same && Ticks(now) >= Ticks(stamp.written) + kTwoSeconds;
    snapshot->index = std::move(index);
    return snapshot;
}

// Folders by path as given, most recently used first.
class Cache {
public:
    std::shared_ptr<const Snapshot> Find(const std::string& folder) {
        std::lock_guard<std::mutex> lock(mutex_);
        auto it = byFolder_.find(folder);
        if (it == byFolder_.end()) return nullptr;
        order_.splice(order_.begin(), order_, it->second);
        return it->second->second;
    }

    void Put(const std::string& folder, std::shared_ptr<const Snapshot> snapshot) {
        std::shared_ptr<const Snapshot> dropped;  // released after the lock
        std::lock_guard<std::mutex> lock(mutex_);
        auto it = byFolder_.find(folder);
        if (it != byFolder_.end()) {
            dropped = std::exchange(it->second->second, std::move(snapshot));
            order_.splice(order_.begin(), order_, it->second);
            return;
        }
        order_.emplace_front(folder, std::move(snapshot));
        byFolder_[folder] = order_.begin();
        if (order_.size() > kMaxCachedFolders) {
            dropped = std::move(order_.back().second);
            byFolder_.erase(order_.back().first);
            order_.pop_back();
        }
    }

    void Drop(const std::string& folder) {
        std::shared_ptr<const Snapshot> dropped;
        std::lock_guard<std::mutex> lock(mutex_);
        auto it = byFolder_.find(folder);
        if (it == byFolder_.end()) return;
        dropped = std::move(it->second->second);
        order_.erase(it->second);
        byFolder_.erase(it);
    }

private:
    using Item = std::pair<std::string, std::shared_ptr<const Snapshot>>;
    std::mutex mutex_;
    std::list<Item> order_;
    std::unordered_map<std::string, std::list<Item>::iterator> byFolder_;
};

Cache& TheCache() {
    static Cache* cache = new Cache;  // never destroyed: callers may still ask while the module unloads
    return *cache;
}

}  // namespace

std::string EntryNameKey(std::string_view name) { return KeyIn(ThreadAnsiCodePage(), name); }

std::shared_ptr<const CEntryIndex> GetEntryIndex(const std::string& folder) {
    char entries[MAX_PATH] = {};
    if (!::PathCombineA(entries, folder.c_str(), "CVS\\Entries")) return nullptr;
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    if (!::GetFileAttributesExA(entries, GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        TheCache().Drop(folder);
        return nullptr;
    }
    Stamp stamp;
    stamp.sizeHigh = data.nFileSizeHigh;
    stamp.sizeLow = data.nFileSizeLow;
    stamp.written = data.ftLastWriteTime;
    stamp.created = data.ftCreationTime;
    const UINT codePage = ThreadAnsiCodePage();
    std::shared_ptr<const Snapshot> cached = TheCache().Find(folder);
    if (cached && cached->trusted && cached->stamp == stamp && cached->codePage == codePage) return cached->index;

    std::shared_ptr<const Snapshot> fresh = ReadSnapshot(entries, stamp, codePage);
    if (!fresh) {
        TheCache().Drop(folder);
        return nullptr;
    }
    TheCache().Put(folder, fresh);
    return fresh->index;
}
