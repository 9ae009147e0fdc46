// Arbitrary texts through the command-line text rules. The key invariant: a quoted argument, put on a
// command line that runs through "cmd /S /C", reaches the program as exactly one argument, equal to the
// text with its double quotes turned into apostrophes, and puts no command-interpreter operator outside
// quotes. Split into runs, the names arrive each once and in order, on lines within the limit, each run
// full, and a name is refused only when it does not fit alone.
//
// Input: the first byte chooses the code page (odd: bytes 0x81..0xFE lead a double-byte character), the
// rest is split at 0x01 into the texts.
#include "exec/core/command_text.h"
#include "common/core/replace_all.h"
#include "ops/core/operation_rules.h"

#include <cstdint>
#include <string>
#include <vector>

namespace {

bool DoubleByteLead(unsigned char c) { return c >= 0x81 && c <= 0xFE; }

// The Windows C runtime's split of a command line into arguments (backslashes count only before a double
// quote; a double quote toggles quoting; "" inside quotes is one literal quote). Double-byte characters
// are whole characters to it, as to the code under test.
std::vector<std::string> SplitCommandLine(const std::string& line, cmdline::LeadByteTest isLead) {
    std::vector<std::string> args;
    size_t i = 0;
    for (;;) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
        if (i >= line.size()) return args;
        std::string arg;
        bool quoted = false;
        while (i < line.size()) {
            const unsigned char c = static_cast<unsigned char>(line[i]);
            if (isLead(c) && i + 1 < line.size()) {
                arg.append(line, i, 2);
                i += 2;
                continue;
            }
            if (!quoted && (c == ' ' || c == '\t')) break;
            if (c == '\\') {
                size_t n = 0;
                while (i < line.size() && line[i] == '\\') ++n, ++i;
                if (i < line.size() && line[i] == '"') {
                    arg.append(n / 2, '\\');
                    if (n % 2) {
                        arg += '"';
                        ++i;
                    }
                } else {
                    arg.append(n, '\\');
                }
                continue;
            }
            if (c == '"') {
                if (quoted && i + 1 < line.size() && line[i + 1] == '"') {
                    arg += '"';
                    i += 2;
                    continue;
                }
                quoted = !quoted;
                ++i;
                continue;
            }
            arg += static_cast<char>(c);
            ++i;
        }
        args.push_back(arg);
    }
}

// True when an operator of the command interpreter stands outside double quotes.
bool HasBareOperator(const std::string& line, cmdline::LeadByteTest isLead) {
    bool quoted = false;
    for (size_t i = 0; i < line.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(line[i]);
        if (isLead(c) && i + 1 < line.size()) {
            ++i;
            continue;
        }
        if (c == '"') quoted = !quoted;
        else if (!quoted && (c == '&' || c == '|' || c == '<' || c == '>' || c == '^')) return true;
    }
    return false;
}

std::string Expected(std::string text, cmdline::LeadByteTest isLead) {
    for (size_t i = 0; i < text.size(); ++i) {
        if (isLead(static_cast<unsigned char>(text[i])) && i + 1 < text.size()) ++i;
        else if (text[i] == '"') text[i] = '\'';
    }
    return text;
}

std::string NaiveReplace(const std::string& text, const std::string& variable, const std::string& value) {
    std::string out;
    size_t pos = 0, found;
    while ((found = text.find(variable, pos)) != std::string::npos) {
        out.append(text, pos, found - pos);
        out += value;
        pos = found + variable.size();
    }
    out.append(text, pos, std::string::npos);
    return out;
}

// True when the text ends inside a double-byte character: no conversion from wide text produces that.
bool EndsInsideCharacter(const std::string& text, cmdline::LeadByteTest isLead) {
    size_t i = 0;
    while (i < text.size()) i += isLead(static_cast<unsigned char>(text[i])) ? 2 : 1;
    return i > text.size();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const cmdline::LeadByteTest isLead = (data[0] & 1) ? DoubleByteLead : cmdline::NoLeadBytes;
    std::vector<std::string> texts(1);
    for (size_t i = 1; i < size; ++i) {
        if (data[i] == 0x01) texts.emplace_back();
        else texts.back() += static_cast<char>(data[i]);
    }

    // Names and messages never hold NUL, CR or LF or a broken character when they reach a command line.
    std::vector<std::string> arguments;
    for (const std::string& t : texts) {
        if (t.find_first_of(std::string("\0\r\n", 3)) == std::string::npos && !EndsInsideCharacter(t, isLead))
            arguments.push_back(t);
    }
    for (const std::string& text : arguments) {
        const std::string quoted = cmdline::QuoteArgument(text, isLead);
        const std::vector<std::string> split = SplitCommandLine("prog " + quoted + " next", isLead);
        if (split.size() != 3 || split[1] != Expected(text, isLead) || split[2] != "next") __builtin_trap();
        if (HasBareOperator(quoted, isLead)) __builtin_trap();
    }
    if (!arguments.empty()) {
        const std::vector<std::string> split = SplitCommandLine("prog" + cmdline::NamesText(arguments, isLead), isLead);
        if (split.size() != arguments.size() + 1) __builtin_trap();
        for (size_t i = 0; i < arguments.size(); ++i) {
            if (split[i + 1] != Expected(arguments[i], isLead)) __builtin_trap();
        }
    }

    // Replacement: the value is never searched again; a text replaced by itself stays; in a single-byte
    // code page it is a plain left-to-right search.
    if (texts.size() >= 3 && !texts[1].empty()) {
        const std::string& text = texts[0];
        const std::string& variable = texts[1];
        const std::string& value = texts[2];
        const std::string replaced = cmdline::ReplaceVariable(text, variable, value, isLead);
        if (cmdline::ReplaceVariable(text, variable, variable, isLead) != text) __builtin_trap();
        if (isLead == cmdline::NoLeadBytes && replaced != NaiveReplace(text, variable, value)) __builtin_trap();
        if (ferrow::ReplaceAll(text, variable, value) != NaiveReplace(text, variable, value)) __builtin_trap();
    }

    // Runs: the arguments as names of a client in the template, under a limit the input chooses.
    if (!arguments.empty()) {
        const std::string interpreter = "C:\\cmd.exe";
        const std::string client = (size & 2) ? "\"C:\\a b\\cvs.exe\"" : "cvs";
        const size_t limit = 40 + (static_cast<size_t>(data[0]) * 7) % 400;
        const cmdline::RunSplit split = cmdline::SplitIntoRuns(interpreter, "$(CVS) x$(Names)", {{"$(CVS)", client}},
                                                               arguments, limit, isLead);
        // The line of the names [begin, end) as composed directly.
        auto lineOf = [&](size_t begin, size_t end) {
            const std::vector<std::string> run(arguments.begin() + begin, arguments.begin() + end);
            return cmdline::InterpreterCommandLine(interpreter, client + " x" + cmdline::NamesText(run, isLead));
        };
        if (split.refused != cmdline::kNoRefusal) {
            if (!split.lines.empty() || split.refused >= arguments.size()) __builtin_trap();
            if (lineOf(split.refused, split.refused + 1).size() <= limit) __builtin_trap();
        } else {
            size_t next = 0;
            for (const std::string& line : split.lines) {
                const std::string full = cmdline::InterpreterCommandLine(interpreter, line);
                if (full.size() > limit) __builtin_trap();
                // The client (its quotes stripped by /S and the runtime), "x", then this run's names.
                std::vector<std::string> parts = SplitCommandLine(line, isLead);
                if (parts.size() < 3 || parts[1] != "x") __builtin_trap();
                const size_t begin = next;
                for (size_t i = 2; i < parts.size(); ++i, ++next) {
                    if (next >= arguments.size() || parts[i] != Expected(arguments[next], isLead)) __builtin_trap();
                }
                if (lineOf(begin, next) != full) __builtin_trap();
                if (next < arguments.size() && lineOf(begin, next + 1).size() <= limit) __builtin_trap();
            }
            if (next != arguments.size()) __builtin_trap();
        }
    }

    // Line ends: every LF ends up after a CR, and nothing but line ends changes.
    const std::string& output = texts[0];
    const std::string normal = ops::NormalizeLineEnds(output);
    for (size_t i = 0; i < normal.size(); ++i) {
        if (normal[i] == '\n' && (i == 0 || normal[i - 1] != '\r')) __builtin_trap();
    }
    if (NaiveReplace(normal, "\r\n", "\n") != NaiveReplace(output, "\r\n", "\n")) __builtin_trap();

    const size_t parent = cmdline::ParentLength(output, size % (output.size() + 2));
    if (parent > output.size()) __builtin_trap();
    return 0;
}
