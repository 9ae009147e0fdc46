#include "changes/core/ignore_rules.h"

#include <cstddef>

namespace changes {

const char* const kDefaultIgnorePatterns[] = {
    "RCS", "SCCS", "CVS", "CVS.adm", "RCSLOG", "cvslog.*", "tags", "TAGS", ".make.state", ".nse_depinfo",
    "*~", "#*", ".#*", ",*", "_$*", "*$", "*.old", "*.bak", "*.BAK", "*.orig", "*.rej", ".del-*", "*.a",
    "*.olb", "*.o", "*.obj", "*.so", "*.exe", "*.Z", "*.elc", "*.ln", "core", nullptr};

namespace {

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// Matches a class starting at pattern[p] == '['; sets `end` past its ']'. False with end == p when the
// class is not closed (then '[' is literal).
bool MatchClass(std::string_view pattern, size_t p, char c, size_t& end) {
    size_t i = p + 1;
    bool negate = false;
    if (i < pattern.size() && (pattern[i] == '!' || pattern[i] == '^')) {
        negate = true;
        ++i;
    }
    bool found = false;
    bool first = true;
    for (; i < pattern.size() && (first || pattern[i] != ']'); first = false) {
        char lo = Lower(pattern[i]);
        char hi = lo;
        if (i + 2 < pattern.size() && pattern[i + 1] == '-' && pattern[i + 2] != ']') {
            hi = Lower(pattern[i + 2]);
            i += 3;
        } else {
            ++i;
        }
        if (Lower(c) >= lo && Lower(c) <= hi) found = true;
    }
    if (i >= pattern.size()) {
        end = p;
        return false;
    }
    end = i + 1;
    return found != negate;
}

}  // namespace

bool WildcardMatch(std::string_view pattern, std::string_view name) {
    // Iterative with one backtrack point (the last "*"): no recursion, no blow-up.
    size_t p = 0, n = 0;
    size_t starP = std::string_view::npos, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size()) {
            const char pc = pattern[p];
            if (pc == '*') {
                starP = p++;
                starN = n;
                continue;
            }
            if (pc == '?') {
                ++p;
                ++n;
                continue;
            }
            if (pc == '[') {
                size_t end = p;
                const bool matched = MatchClass(pattern, p, name[n], end);
                if (end != p) {
                    if (matched) {
                        p = end;
                        ++n;
                        continue;
                    }
                } else if (name[n] == '[') {
                    ++p;
                    ++n;
                    continue;
                }
            } else if (Lower(pc) == Lower(name[n])) {
                ++p;
                ++n;
                continue;
            }
        }
        if (starP == std::string_view::npos) return false;
        p = starP + 1;
        n = ++starN;
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    return p == pattern.size();
}

CIgnoreList::CIgnoreList() {
    for (const char* const* p = kDefaultIgnorePatterns; *p; ++p) patterns_.emplace_back(*p);
}

CIgnoreList CIgnoreList::With(std::string_view text) const {
    CIgnoreList list(*this);
    size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\r' || text[i] == '\n')) ++i;
        const size_t start = i;
        while (i < text.size() && !(text[i] == ' ' || text[i] == '\t' || text[i] == '\r' || text[i] == '\n')) ++i;
        if (i == start) break;
        const std::string_view word = text.substr(start, i - start);
        if (word == "!") {
            list.patterns_.clear();
        } else {
            list.patterns_.emplace_back(word);
        }
    }
    return list;
}

bool CIgnoreList::Matches(std::string_view name) const {
    for (const std::string& pattern : patterns_) {
        if (WildcardMatch(pattern, name)) return true;
    }
    return false;
}

}  // namespace changes
