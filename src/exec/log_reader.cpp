#include "exec/log_reader.h"

#include "common/text.h"
#include "exec/command_line.h"
#include "model/line_reader.h"

#include <mutex>
#include <unordered_map>
#include <utility>
#include <vector>

namespace {

// A temporary file that is deleted when the owner goes, on every path.
class CTempFile {
public:
    CTempFile() = default;
    CTempFile(const CTempFile&) = delete;
    CTempFile& operator=(const CTempFile&) = delete;
    ~CTempFile() {
        if (!name_.empty()) ::DeleteFileA(name_.c_str());
    }
    HRESULT Create(const char* prefix) { return MakeTempFileName(prefix, name_); }
    const std::string& Name() const { return name_; }

private:
    std::string name_;
};

// Runs the log template for the path with its output in `file` (in place of "$(LogFile)", quoted); false
// when the command fails.
bool RunLogCommand(CRunFrame* frame, const char* commandTemplate, const char* path, const CTempFile& file) {
    const std::vector<std::string> selection{ferrow::CopyPath(path)};
    return SUCCEEDED(ExecuteTemplate(frame, commandTemplate, selection, {{"$(LogFile)", QuoteArgument(file.Name())}}));
}

}  // namespace

HRESULT MakeTempFileName(const char* prefix, std::string& name) {
    char folder[MAX_PATH] = {};
    const DWORD length = ::GetTempPathA(MAX_PATH, folder);
    if (length == 0 || length >= MAX_PATH) {
        // A folder name that does not fit is a failure too, not a truncated name.
        const DWORD error = length == 0 ? ::GetLastError() : ERROR_BUFFER_OVERFLOW;
        return HRESULT_FROM_WIN32(error ? error : ERROR_PATH_NOT_FOUND);
    }
    char file[MAX_PATH] = {};
    if (!::GetTempFileNameA(folder, prefix, 0, file)) {
        const DWORD error = ::GetLastError();
        return HRESULT_FROM_WIN32(error ? error : ERROR_FILE_NOT_FOUND);
    }
    name = file;
    return S_OK;
}

bool ParseLog(const char* file, CCVSLog& log) {
    ferrow::UniqueFile handle = OpenForReading(file, FILE_FLAG_SEQUENTIAL_SCAN);
    if (!handle) return false;
    CLineReader reader(handle.Release());
    return ParseLogLines(reader, log);
}

bool GetLocalLogText(const char* path, std::string& text, CRunFrame* frame) {
    CTempFile output;
    if (FAILED(output.Create("ferrow"))) return false;
    if (!RunLogCommand(frame, "$(CVS) log -l $(Names) > $(LogFile)", path, output)) return false;
    ferrow::UniqueFile handle = OpenForReading(output.Name().c_str(), FILE_FLAG_SEQUENTIAL_SCAN);
    if (!handle) return false;
    CLineReader reader(handle.Release());
    std::string collected;
    if (!CollectLocalLogText(reader, collected)) return false;
    text.swap(collected);
    return true;
}

bool GetLog(const char* path, CCVSLog& log, CRunFrame* frame) {
    CTempFile output;
    if (FAILED(output.Create("ferrow"))) return false;
    if (!RunLogCommand(frame, "$(CVS) log $(Names) > $(LogFile)", path, output)) return false;
    return ParseLog(output.Name().c_str(), log);
}

namespace {

// The answers of logs that ran, by path and revision: whether the revision was in the log, and its author.
// Process-wide and thread-safe; its lock is never held while the client runs. At most kMaxAuthors answers
// (all forgotten when full).
class AuthorCache {
public:
    static constexpr size_t kMaxAuthors = 4096;

    bool Find(const std::string& key, bool& found, std::string& author) {
        std::lock_guard<std::mutex> lock(mutex_);
        auto it = answers_.find(key);
        if (it == answers_.end()) return false;
        found = it->second.first;
        author = it->second.second;
        return true;
    }

    void Put(const std::string& key, bool found, const std::string& author) {
        std::lock_guard<std::mutex> lock(mutex_);
        if (answers_.size() >= kMaxAuthors) answers_.clear();
        answers_[key] = {found, author};
    }

private:
    std::mutex mutex_;
    std::unordered_map<std::string, std::pair<bool, std::string>> answers_;
};

AuthorCache& Authors() {
    static AuthorCache* cache = new AuthorCache;  // kept to the end: asked until the module unloads
    return *cache;
}

}  // namespace

bool GetRevisionAuthor(const char* path, const std::string& revision, std::string& author) {
    const std::string key = ferrow::CopyPath(path) + '\n' + revision;
    bool found = false;
    std::string name;
    if (!Authors().Find(key, found, name)) {
        CCVSLog log;
        if (!GetLog(path, log)) return false;  // not kept: asked again next time
        for (const CCVSRevision& rev : log.Revisions) {
            if (rev.Revision == revision) {
                found = true;
                name = rev.Author;
                break;
            }
        }
        Authors().Put(key, found, name);
    }
    if (found) author = name;
    return found;
}
