#include "exec/core/command_text.h"

#include <cstring>

namespace cmdline {
namespace {

// Bytes of the character that starts at `pos`: two for a lead byte followed by another byte, else one.
size_t CharLength(const std::string& text, size_t pos, LeadByteTest isLead) {
    if (isLead && isLead(static_cast<unsigned char>(text[pos])) && pos + 1 < text.size()) return 2;
    return 1;
}

// The characters that make an argument quoted. Beyond the interpreter's own list, a tab (the program's
// runtime splits arguments at it) and "|" (an operator of the interpreter) are quoted too: unquoted,
// either would cut a message or tag name in two, or start a second program.
constexpr char kSpecialCharacters[] = " &()[]{}^=;!'+,`~<>*?\"\t|";

}  // namespace

bool NoLeadBytes(unsigned char) { return false; }

std::string ReplaceVariable(const std::string& text, const std::string& variable, const std::string& value,
                            LeadByteTest isLead) {
    if (variable.empty()) return text;
    std::string out;
    out.reserve(text.size());
    size_t pos = 0;
    while (pos < text.size()) {
        if (text.compare(pos, variable.size(), variable) == 0) {
            out += value;
            pos += variable.size();
            continue;
        }
        size_t n = CharLength(text, pos, isLead);
        out.append(text, pos, n);
        pos += n;
    }
    return out;
}

std::string QuoteArgument(const std::string& text, LeadByteTest isLead, Reader reader) {
    if (text.empty()) return "\"\"";
    const bool forInterpreter = reader == Reader::Interpreter;
    bool special = false;
    for (size_t pos = 0; pos < text.size() && !special;) {
        size_t n = CharLength(text, pos, isLead);
        if (n == 1 && text[pos] != '\0' &&
            (std::strchr(kSpecialCharacters, text[pos]) || (forInterpreter && text[pos] == '%')))
            special = true;
        pos += n;
    }
    if (!special) return text;
    std::string out = "\"";
    size_t backslashes = 0;  // single-byte backslashes that end the text so far
    // A program's runtime reads backslashes before a double quote as escapes: "C:\my dir\" would keep the
    // closing quote as text and run on into the next argument. Doubled, they stay as they were.
    auto closeQuote = [&out, &backslashes] {
        out.append(backslashes, '\\');
        out += '"';
        backslashes = 0;
    };
    for (size_t pos = 0; pos < text.size();) {
        size_t n = CharLength(text, pos, isLead);
        if (n == 1 && text[pos] == '"') {
            out += '\'';
        } else if (n == 1 && text[pos] == '%' && forInterpreter) {
            closeQuote();
            out += "%\"";
            pos += n;
            continue;
        } else {
            out.append(text, pos, n);
        }
        backslashes = (n == 1 && text[pos] == '\\') ? backslashes + 1 : 0;
        pos += n;
    }
    closeQuote();
    return out;
}

std::string NamesText(const std::vector<std::string>& names, LeadByteTest isLead) {
    std::string out;
    for (const std::string& name : names) {
        out += ' ';
        out += QuoteArgument(name, isLead);
    }
    return out;
}

size_t ParentLength(const std::string& path, size_t nameOffset) {
    if (nameOffset > path.size()) nameOffset = path.size();
    if (nameOffset > 3 && path[nameOffset - 1] == '\\') return nameOffset - 1;
    return nameOffset;
}

std::string TrimCurrentFolder(const std::string& relative) {
    if (relative.size() > 2 && relative[0] == '.' && relative[1] == '\\') return relative.substr(2);
    return relative;
}

}  // namespace cmdline
