#include "changes/core/update_output.h"

#include "model/core/status.h"
#include "resources/resource.h"

#include <string>
#include <unordered_map>

namespace changes {

namespace {

// Each line without its line end (LF or CR LF).
template <typename Fn>
void ForEachLine(std::string_view text, Fn&& fn) {
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        fn(line);
        start = end + 1;
    }
}

std::string ToRowPath(std::string_view name) {
    std::string path(name);
    for (char& c : path) {
        if (c == '/') c = '\\';
    }
    return path;
}

bool StartsWith(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && text.substr(0, prefix.size()) == prefix;
}

// The quoted name of "...: `name' <suffix>" (either quote style: `name' or 'name'); empty when the line is
// not of that shape.
std::string_view QuotedBefore(std::string_view line, std::string_view suffix) {
    if (line.size() < suffix.size() + 3) return {};
    if (line.substr(line.size() - suffix.size()) != suffix) return {};
    const std::string_view head = line.substr(0, line.size() - suffix.size());
    if (head.back() != '\'') return {};
    size_t open = head.find(": `");
    if (open == std::string_view::npos) open = head.find(": '");
    if (open == std::string_view::npos) return {};
    open += 3;
    if (open >= head.size()) return {};
    return head.substr(open, head.size() - 1 - open);
}

}  // namespace

std::vector<RemoteState> ParseUpdateOutput(std::string_view stdOut, std::string_view stdErr) {
    std::vector<RemoteState> states;
    std::unordered_map<std::string, size_t> index;
    auto put = [&](std::string path, unsigned local, unsigned remote) {
        const auto found = index.find(path);
        if (found != index.end()) {
            RemoteState& state = states[found->second];
            if (local) state.local = local;
            if (remote) state.remote = remote;
            return;
        }
        index.emplace(path, states.size());
        states.push_back(RemoteState{std::move(path), local, remote});
    };

    std::string merging;  // the file of the last "Merging differences ... into" line
    ForEachLine(stdOut, [&](std::string_view line) {
        constexpr std::string_view kMerging = "Merging differences between ";
        if (StartsWith(line, kMerging)) {
            const size_t into = line.rfind(" into ");
            merging = into == std::string_view::npos ? std::string() : std::string(line.substr(into + 6));
            return;
        }
        if (line.size() < 3 || line[1] != ' ') return;
        const std::string_view name = line.substr(2);
        const bool merged = !merging.empty() && (name == merging ||
                                                 (name.size() > merging.size() &&
                                                  name.substr(name.size() - merging.size()) == merging &&
                                                  name[name.size() - merging.size() - 1] == '/'));
        std::string path = ToRowPath(name);
        switch (line[0]) {
        case 'U':
        case 'P': put(std::move(path), 0, IDS_CHANGES_NEEDS_UPDATE); break;
        case 'M':
            put(std::move(path), kStatusModified, merged ? IDS_CHANGES_NEEDS_MERGE : 0);
            break;
        case 'C':
            if (merged) {
                put(std::move(path), kStatusModified, IDS_CHANGES_WOULD_CONFLICT);
            } else {
                put(std::move(path), kStatusConflict, 0);
            }
            break;
        case 'A': put(std::move(path), kStatusAdded, 0); break;
        case 'R': put(std::move(path), kStatusRemoved, 0); break;
        case '?': put(std::move(path), IDS_CHANGES_UNVERSIONED, 0); break;
        default: return;
        }
        merging.clear();
    });

    ForEachLine(stdErr, [&](std::string_view line) {
        std::string_view name = QuotedBefore(line, " is no longer in the repository");
        if (!name.empty()) {
            put(ToRowPath(name), 0, IDS_CHANGES_REMOVED_THERE);
            return;
        }
        name = QuotedBefore(line, " was lost");
        if (!name.empty()) put(ToRowPath(name), IDS_CHANGES_MISSING, IDS_CHANGES_NEEDS_UPDATE);
    });
    return states;
}

}  // namespace changes
