#include "model/core/cvs_log.h"

#include <string_view>

namespace {

constexpr std::string_view kDashes = "-------------------------";   // 25: a block separator
constexpr std::string_view kEquals = "=========================";   // 25: the end of a file's log

bool StartsWith(std::string_view line, std::string_view prefix) {
    // A line shorter than the prefix is compared whole, and so never matches.
    return line.size() >= prefix.size() && line.compare(0, prefix.size(), prefix) == 0;
}

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

std::string_view Trim(std::string_view s) {
    size_t begin = 0;
    size_t end = s.size();
    while (begin < end && IsSpace(s[begin])) ++begin;
    while (end > begin && IsSpace(s[end - 1])) --end;
    return s.substr(begin, end - begin);
}

void ReadHeaderLine(std::string_view line, CCVSLog& log, bool& namesMode) {
    const size_t colon = line.find(':');
    if (colon == std::string_view::npos) return;
    const std::string_view key = line.substr(0, colon);
    const std::string_view value = Trim(line.substr(colon + 1));
    std::string* field = nullptr;
    if (key == "head") field = &log.Head;
    else if (key == "branch") field = &log.Branch;
    else if (key == "locks") field = &log.Locks;
    else if (key == "access list") field = &log.AccessList;
    else if (key == "keyword substitution") field = &log.KeywordSubstitution;
    else if (key == "description") field = &log.Description;
    else if (key == "symbolic names") namesMode = true;
    if (field) field->assign(value.data(), value.size());
}

void ReadDateLine(std::string_view line, CCVSRevision& rev) {
    for (;;) {
        const size_t semi = line.find(';');
        const std::string_view piece = Trim(line.substr(0, semi));
        const size_t colon = piece.find(':');
        if (colon != std::string_view::npos) {
            const std::string_view key = piece.substr(0, colon);
            const std::string_view value = Trim(piece.substr(colon + 1));
            std::string* field = nullptr;
            if (key == "date") field = &rev.Date;
            else if (key == "author") field = &rev.Author;
            else if (key == "state") field = &rev.State;
            else if (key == "lines") field = &rev.Lines;
            if (field) field->assign(value.data(), value.size());
        }
        if (semi == std::string_view::npos) break;
        line.remove_prefix(semi + 1);
    }
}

}  // namespace

bool ParseLogLines(LineSplitter& reader, CCVSLog& log) {
    enum class Mode { Header, Names, Revisions };
    Mode mode = Mode::Header;
    std::string line;
    for (;;) {
        int32_t rc = reader.ReadLine(line);
        if (rc < 0) return false;
        if (rc > 0) return true;

        if (mode == Mode::Names) {
            if (!line.empty() && line[0] == '\t') {
                const size_t colon = line.find(':');
                if (colon == std::string::npos) continue;
                const std::string_view view(line);
                log.Tags.Set(view.substr(1, colon - 1), Trim(view.substr(colon + 1)));
                continue;
            }
            mode = Mode::Header;  // the list has ended: this line is a header line
        }

        if (mode == Mode::Header) {
            if (StartsWith(line, kDashes)) {
                mode = Mode::Revisions;
                continue;
            }
            bool names = false;
            ReadHeaderLine(line, log, names);
            if (names) mode = Mode::Names;
            continue;
        }

        // Revision mode: everything up to the next "revision " line is skipped, including the header of
        // a further file after the line of equals signs.
        constexpr std::string_view kRevision = "revision ";
        if (!StartsWith(line, kRevision)) continue;
        CCVSRevision rev;
        rev.Revision = line.substr(kRevision.size());

        rc = reader.ReadLine(line);
        if (rc < 0) return false;
        if (rc > 0) return true;  // the output ends before the date line: the block is dropped
        ReadDateLine(line, rev);

        for (;;) {
            rc = reader.ReadLine(line);
            if (rc < 0) return false;
            if (rc > 0) break;
            if (StartsWith(line, kDashes) || StartsWith(line, kEquals)) break;
            if (!rev.Message.empty()) rev.Message += " / ";
            rev.Message += line;
        }
        log.Revisions.push_back(std::move(rev));
        if (rc > 0) return true;
    }
}

bool CollectLocalLogText(LineSplitter& reader, std::string& text) {
    std::string line;
    for (;;) {
        const int32_t rc = reader.ReadLine(line);
        if (rc < 0) return false;
        if (rc > 0) return true;
        if (line.empty() || StartsWith(line, "===")) continue;
        text += line;
        text += "\r\n";
    }
}
