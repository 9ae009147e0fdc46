#include "diffview/core/annotate.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace diffview {

namespace {

bool IsRevision(const std::string& s) {
    if (s.empty() || s.front() == '.' || s.back() == '.') return false;
    for (std::size_t i = 0; i < s.size(); ++i) {
        const char c = s[i];
        if (c == '.') {
            if (s[i - 1] == '.') return false;
        } else if (c < '0' || c > '9') {
            return false;
        }
    }
    return s.find('.') != std::string::npos;
}

// The revision's numbers, for ordering ("1.10" after "1.9").
std::vector<long> RevisionNumbers(const std::string& revision) {
    std::vector<long> numbers;
    long value = 0;
    for (char c : revision) {
        if (c == '.') {
            numbers.push_back(value);
            value = 0;
        } else if (value < 100000000) {
            value = value * 10 + (c - '0');
        }
    }
    numbers.push_back(value);
    return numbers;
}

}  // namespace

bool ParseAnnotateLine(const std::string& line, AnnotatedLine& out) {
    const std::size_t space = line.find(' ');
    if (space == std::string::npos) return false;
    std::string revision = line.substr(0, space);
    if (!IsRevision(revision)) return false;
    const std::size_t open = line.find_first_not_of(' ', space);
    if (open == std::string::npos || line[open] != '(') return false;
    // The date is the 9 characters before "): ", after a space; the author is what lies between.
    const std::size_t close = line.find("): ", open);
    if (close == std::string::npos || close < open + 1 + 10) return false;
    std::string date = line.substr(close - 9, 9);
    if (line[close - 10] != ' ' || DateNumber(date) < 0) return false;
    std::string author = line.substr(open + 1, close - 10 - (open + 1));
    const std::size_t last = author.find_last_not_of(' ');
    author.erase(last == std::string::npos ? 0 : last + 1);
    if (author.empty()) return false;
    const std::size_t end = line.size();
    out.revision = std::move(revision);
    out.author = std::move(author);
    out.date = std::move(date);
    out.text = line.substr(close + 3, end - (close + 3));
    return true;
}

std::vector<AnnotatedLine> ParseAnnotate(const std::string& output) {
    std::vector<AnnotatedLine> lines;
    // The output's own line end is that of its first line; a CR before it beyond that is the file's.
    const std::size_t first = output.find('\n');
    const bool crlf = first != std::string::npos && first > 0 && output[first - 1] == '\r';
    std::size_t start = 0;
    while (start < output.size()) {
        std::size_t lf = output.find('\n', start);
        if (lf == std::string::npos) lf = output.size();
        std::size_t end = lf;
        if (crlf && end > start && lf < output.size() && output[end - 1] == '\r') --end;
        AnnotatedLine parsed;
        if (ParseAnnotateLine(output.substr(start, end - start), parsed)) lines.push_back(std::move(parsed));
        start = lf + 1;
    }
    return lines;
}

long DateNumber(const std::string& date) {
    static const char kMonths[] = "JanFebMarAprMayJunJulAugSepOctNovDec";
    if (date.size() != 9 || date[2] != '-' || date[6] != '-') return -1;
    auto digit = [&](std::size_t i) { return date[i] >= '0' && date[i] <= '9'; };
    if (!digit(0) || !digit(1) || !digit(7) || !digit(8)) return -1;
    const char* month = nullptr;
    for (const char* m = kMonths; *m; m += 3) {
        if (std::strncmp(m, date.c_str() + 3, 3) == 0) month = m;
    }
    if (!month) return -1;
    const long day = (date[0] - '0') * 10 + (date[1] - '0');
    const long yy = (date[7] - '0') * 10 + (date[8] - '0');
    if (day < 1 || day > 31) return -1;
    const long year = yy < 70 ? 2000 + yy : 1900 + yy;
    return year * 10000 + ((month - kMonths) / 3 + 1) * 100 + day;
}

std::vector<int> AgePercent(const std::vector<AnnotatedLine>& lines) {
    using Key = std::pair<long, std::vector<long>>;
    std::vector<Key> keys;
    keys.reserve(lines.size());
    for (const AnnotatedLine& l : lines) keys.emplace_back(DateNumber(l.date), RevisionNumbers(l.revision));
    std::vector<Key> distinct = keys;
    std::sort(distinct.begin(), distinct.end());
    distinct.erase(std::unique(distinct.begin(), distinct.end()), distinct.end());
    std::vector<int> ages;
    ages.reserve(lines.size());
    for (const Key& k : keys) {
        const std::size_t rank = std::lower_bound(distinct.begin(), distinct.end(), k) - distinct.begin();
        ages.push_back(distinct.size() < 2 ? 100 : static_cast<int>(rank * 100 / (distinct.size() - 1)));
    }
    return ages;
}

}  // namespace diffview
