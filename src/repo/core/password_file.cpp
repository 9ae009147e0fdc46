#include "repo/core/password_file.h"

#include <cstddef>
#include <vector>

namespace repo {

namespace {

// The client's table: a symmetric mapping of the printable characters and the upper half; control
// characters map to themselves.
const unsigned char kShifts[256] = {
    0,   1,   2,   3,   4,   5,   6,   7,   8,   9,   10,  11,  12,  13,  14,  15,  16,  17,  18,  19,  20,  21,
    22,  23,  24,  25,  26,  27,  28,  29,  30,  31,  114, 120, 53,  79,  96,  109, 72,  108, 70,  64,  76,  67,
    116, 74,  68,  87,  111, 52,  75,  119, 49,  34,  82,  81,  95,  65,  112, 86,  118, 110, 122, 105, 41,  57,
    83,  43,  46,  102, 40,  89,  38,  103, 45,  50,  42,  123, 91,  35,  125, 55,  54,  66,  124, 126, 59,  47,
    92,  71,  115, 78,  88,  107, 106, 56,  36,  121, 117, 104, 101, 100, 69,  73,  99,  63,  94,  93,  39,  37,
    61,  48,  58,  113, 32,  90,  44,  98,  60,  51,  33,  97,  62,  77,  84,  80,  85,  223, 225, 216, 187, 166,
    229, 189, 222, 188, 141, 249, 148, 200, 184, 136, 248, 190, 199, 170, 181, 204, 138, 232, 218, 183, 255, 234,
    220, 247, 213, 203, 226, 193, 174, 172, 228, 252, 217, 201, 131, 230, 197, 211, 145, 238, 161, 179, 160, 212,
    207, 221, 254, 173, 202, 146, 224, 151, 140, 196, 205, 130, 135, 133, 143, 246, 192, 159, 244, 239, 185, 168,
    215, 144, 139, 165, 180, 157, 147, 186, 214, 176, 227, 231, 219, 169, 175, 156, 206, 198, 129, 164, 150, 210,
    154, 177, 134, 127, 182, 128, 158, 208, 162, 132, 167, 209, 149, 241, 153, 251, 237, 236, 171, 195, 243, 233,
    253, 240, 194, 250, 191, 155, 142, 137, 245, 235, 163, 242, 178, 152};

std::string Map(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) out += static_cast<char>(kShifts[static_cast<unsigned char>(c)]);
    return out;
}

struct Line {
    size_t begin;    // offset of the line in the text
    size_t length;   // without its end
    size_t end;      // offset after its line end
};

std::vector<Line> SplitLines(const std::string& text) {
    std::vector<Line> lines;
    size_t pos = 0;
    while (pos < text.size()) {
        const size_t lf = text.find('\n', pos);
        const size_t stop = lf == std::string::npos ? text.size() : lf;
        size_t length = stop - pos;
        if (length > 0 && text[pos + length - 1] == '\r') --length;
        lines.push_back({pos, length, lf == std::string::npos ? text.size() : lf + 1});
        pos = stop + 1;
    }
    return lines;
}

// The password of `line` when it names `canonical` (the client's password_entry_parseline), else false.
bool LineNames(const std::string& line, const std::string& canonical, std::string& password) {
    if (!line.empty() && line[0] == '/') {
        // "/<version> <root> <password>": only version 1 is known.
        size_t i = 1;
        unsigned long version = 0;
        while (i < line.size() && line[i] >= '0' && line[i] <= '9' && version < 1000) {
            version = version * 10 + static_cast<unsigned long>(line[i] - '0');
            ++i;
        }
        if (version != 1 || i == 1 || i >= line.size()) return false;
        ++i;  // the separator
        const size_t space = line.find(' ', i);
        if (space == std::string::npos) return false;
        if (line.compare(i, space - i, canonical) != 0) return false;
        password = line.substr(space + 1);
        return true;
    }
    const size_t space = line.find(' ');
    if (space == std::string::npos) return false;
    CvsRoot old;
    if (ParseRoot(line.substr(0, space), old) != RootError::kNone) return false;
    if (old.method != RootMethod::kPserver || old.user.empty()) return false;
    if (CanonicalPserverRoot(old) != canonical) return false;
    password = line.substr(space + 1);
    return true;
}

}  // namespace

std::string Scramble(const std::string& clear) { return "A" + Map(clear); }

bool Descramble(const std::string& scrambled, std::string& clear) {
    if (scrambled.empty() || scrambled[0] != 'A') return false;
    clear = Map(scrambled.substr(1));
    return true;
}

bool IsStorablePassword(const std::string& clear) {
    for (const char c : clear) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return false;
    }
    return true;
}

bool FindPassword(const std::string& fileText, const CvsRoot& root, std::string& scrambled) {
    const std::string canonical = CanonicalPserverRoot(root);
    for (const Line& line : SplitLines(fileText)) {
        if (LineNames(fileText.substr(line.begin, line.length), canonical, scrambled)) return true;
    }
    return false;
}

std::string SetPasswordLine(const std::string& fileText, const CvsRoot& root, const std::string& scrambled,
                            bool crlf) {
    const std::string canonical = CanonicalPserverRoot(root);
    const std::vector<Line> lines = SplitLines(fileText);
    std::string lineEnd = crlf ? "\r\n" : "\n";
    const size_t firstEnd = fileText.find('\n');
    if (firstEnd != std::string::npos) lineEnd = (firstEnd > 0 && fileText[firstEnd - 1] == '\r') ? "\r\n" : "\n";
    const std::string entry = "/1 " + canonical + " " + scrambled;
    std::string out;
    out.reserve(fileText.size() + entry.size() + 2);
    bool placed = false;
    std::string ignored;
    for (const Line& line : lines) {
        if (LineNames(fileText.substr(line.begin, line.length), canonical, ignored)) {
            if (placed) continue;
            placed = true;
            out += entry;
            out.append(fileText, line.begin + line.length, line.end - line.begin - line.length);
            continue;
        }
        out.append(fileText, line.begin, line.end - line.begin);
    }
    if (!placed) {
        if (!out.empty() && out.back() != '\n') out += lineEnd;
        out += entry + lineEnd;
    }
    return out;
}

std::string RemovePasswordLines(const std::string& fileText, const CvsRoot& root, bool& removed) {
    const std::string canonical = CanonicalPserverRoot(root);
    removed = false;
    std::string out;
    std::string ignored;
    for (const Line& line : SplitLines(fileText)) {
        if (LineNames(fileText.substr(line.begin, line.length), canonical, ignored)) {
            removed = true;
            continue;
        }
        out.append(fileText, line.begin, line.end - line.begin);
    }
    return out;
}

}  // namespace repo
