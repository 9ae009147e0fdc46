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

constexpr char kInterpreterSwitches[] = " /S /C ";

// The interpreter skips the blanks before the line: the first other character decides about /S.
bool StartsWithQuote(const std::string& line) {
    for (char c : line) {
        if (c != ' ' && c != '\t') return c == '"';
    }
    return false;
}

}  // namespace

bool NoLeadBytes(unsigned char) { return false; }

std::string FillTemplate(const std::string& commandTemplate, const TemplateValues& values, LeadByteTest isLead) {
    std::string out;
    out.reserve(commandTemplate.size());
    size_t pos = 0;
    while (pos < commandTemplate.size()) {
        const TemplateValue* match = nullptr;
        for (const TemplateValue& v : values) {
            if (!v.variable.empty() && commandTemplate.compare(pos, v.variable.size(), v.variable) == 0) {
                match = &v;
                break;
            }
        }
        if (match) {
            out += match->value;
            pos += match->variable.size();
            continue;
        }
        const size_t n = CharLength(commandTemplate, pos, isLead);
        out.append(commandTemplate, pos, n);
        pos += n;
    }
    return out;
}

std::string ReplaceVariable(const std::string& text, const std::string& variable, const std::string& value,
                            LeadByteTest isLead) {
    return FillTemplate(text, {{variable, value}}, isLead);
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

std::string InterpreterCommandLine(const std::string& interpreter, const std::string& line) {
    if (StartsWithQuote(line)) return interpreter + kInterpreterSwitches + '"' + line + '"';
    return interpreter + kInterpreterSwitches + line;
}

RunSplit SplitIntoRuns(const std::string& interpreter, const std::string& commandTemplate,
                       const TemplateValues& values, const std::vector<std::string>& names, size_t limit,
                       LeadByteTest isLead) {
    RunSplit split{{}, kNoRefusal};
    TemplateValues all = values;
    all.push_back({kNamesVariable, std::string()});
    auto fill = [&](std::string namesText) {
        all.back().value = std::move(namesText);
        return FillTemplate(commandTemplate, all, isLead);
    };
    // Values are never searched, so a line's length is the template's rest plus each "$(Names)"'s text.
    const std::string bare = fill(std::string());
    const size_t occurrences = fill(" ").size() - bare.size();
    if (occurrences == 0 || names.empty()) {
        split.lines.push_back(bare);
        return split;
    }
    const size_t fixed = interpreter.size() + (sizeof kInterpreterSwitches - 1) + bare.size();
    std::vector<std::string> quoted;
    quoted.reserve(names.size());
    for (const std::string& name : names) quoted.push_back(QuoteArgument(name, isLead));

    for (size_t begin = 0; begin < quoted.size();) {
        // A quoted name never begins with a blank, so only the run's first name can decide whether the
        // line begins with a double quote (and gets the interpreter's extra pair).
        const size_t pair = StartsWithQuote(fill(" " + quoted[begin])) ? 2 : 0;
        size_t text = 1 + quoted[begin].size();
        if (fixed + pair + occurrences * text > limit) {
            split.lines.clear();
            split.refused = begin;
            return split;
        }
        size_t end = begin + 1;
        while (end < quoted.size() && fixed + pair + occurrences * (text + 1 + quoted[end].size()) <= limit) {
            text += 1 + quoted[end].size();
            ++end;
        }
        std::string namesText;
        namesText.reserve(text);
        for (size_t i = begin; i < end; ++i) {
            namesText += ' ';
            namesText += quoted[i];
        }
        split.lines.push_back(fill(std::move(namesText)));
        begin = end;
    }
    return split;
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
