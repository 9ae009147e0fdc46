#include "com/core/registry_script.h"

#include <cstddef>

namespace ferrow {
namespace {

enum class TokenKind { End, Word, Quoted, Open, Close, Equals };

struct Token {
    TokenKind kind = TokenKind::End;
    std::wstring text;  // Word and Quoted, replacements applied
    int line = 1;
};

bool IsSpace(wchar_t c) { return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n'; }

// Characters that end a bare word.
bool IsDelimiter(wchar_t c) { return IsSpace(c) || c == L'{' || c == L'}' || c == L'=' || c == L'\''; }

bool EqualsNoCase(const std::wstring& a, const wchar_t* b) {
    size_t i = 0;
    for (; i < a.size() && b[i]; ++i) {
        wchar_t x = a[i], y = b[i];
        if (x >= L'A' && x <= L'Z') x = wchar_t(x - L'A' + L'a');
        if (y >= L'A' && y <= L'Z') y = wchar_t(y - L'A' + L'a');
        if (x != y) return false;
    }
    return i == a.size() && b[i] == 0;
}

class Parser {
public:
    Parser(const std::wstring& text, const RegistryReplacements& replacements)
        : text_(text), replacements_(replacements) {}

    bool Parse(RegistryScript& script) {
        if (!Next()) return false;
        while (token_.kind != TokenKind::End) {
            RegistryRootBlock block;
            if (token_.kind != TokenKind::Word || !RootOf(token_.text, block.root)) {
                return Fail(L"expected a root key such as HKCR");
            }
            if (!Next()) return false;
            if (token_.kind != TokenKind::Open) return Fail(L"expected '{' after the root key");
            if (!Next()) return false;
            if (!ParseKeys(block.children, 1)) return false;
            script.roots.push_back(std::move(block));
        }
        return true;
    }

    const std::wstring& Error() const { return error_; }

private:
    // Parses the entries of a block up to and including its closing brace.
    bool ParseKeys(std::vector<RegistryNode>& nodes, int depth) {
        if (depth > kMaxRegistryDepth) return Fail(L"keys nested too deeply");
        for (;;) {
            if (token_.kind == TokenKind::Close) return Next();
            if (token_.kind == TokenKind::End) return Fail(L"missing '}'");
            RegistryNode node;
            if (!ParseEntry(node, depth)) return false;
            nodes.push_back(std::move(node));
        }
    }

    bool ParseEntry(RegistryNode& node, int depth) {
        if (token_.kind == TokenKind::Word) {
            if (EqualsNoCase(token_.text, L"val")) {
                node.isValue = true;
                if (!Next()) return false;
            } else if (EqualsNoCase(token_.text, L"NoRemove")) {
                node.flag = RegistryFlag::NoRemove;
                if (!Next()) return false;
            } else if (EqualsNoCase(token_.text, L"ForceRemove")) {
                node.flag = RegistryFlag::ForceRemove;
                if (!Next()) return false;
            } else if (EqualsNoCase(token_.text, L"Delete")) {
                node.flag = RegistryFlag::Delete;
                if (!Next()) return false;
            }
        }
        if (token_.kind != TokenKind::Word && token_.kind != TokenKind::Quoted) {
            return Fail(node.isValue ? L"expected a value name" : L"expected a key name");
        }
        if (!node.isValue) {
            if (token_.text.empty()) return Fail(L"empty key name");
            if (token_.text.find(L'\\') != std::wstring::npos) return Fail(L"key name with a backslash");
        }
        node.name = token_.text;
        if (!Next()) return false;

        if (token_.kind == TokenKind::Equals) {
            if (!Next()) return false;
            if (!ParseData(node.data)) return false;
            node.hasData = true;
        } else if (node.isValue) {
            return Fail(L"expected '=' after the value name");
        }
        if (token_.kind == TokenKind::Open) {
            if (node.isValue) return Fail(L"a value cannot have a block");
            if (node.flag == RegistryFlag::Delete) return Fail(L"a deleted key cannot have a block");
            if (!Next()) return false;
            return ParseKeys(node.children, depth + 1);
        }
        return true;
    }

    bool ParseData(RegistryData& data) {
        if (token_.kind != TokenKind::Word) return Fail(L"expected a data type (s, d or b)");
        const std::wstring type = token_.text;
        if (!Next()) return false;
        if (token_.kind != TokenKind::Quoted && token_.kind != TokenKind::Word) return Fail(L"expected data");
        const std::wstring value = token_.text;
        if (EqualsNoCase(type, L"s")) {
            if (token_.kind != TokenKind::Quoted) return Fail(L"a string must be quoted");
            data.type = RegistryData::Type::String;
            data.text = value;
        } else if (EqualsNoCase(type, L"d")) {
            data.type = RegistryData::Type::Dword;
            if (!ParseNumber(value, data.number)) return Fail(L"not a 32-bit number");
        } else if (EqualsNoCase(type, L"b")) {
            data.type = RegistryData::Type::Binary;
            if (!ParseBytes(value, data.bytes)) return Fail(L"not a sequence of hexadecimal bytes");
        } else {
            return Fail(L"unknown data type");
        }
        return Next();
    }

    static bool ParseNumber(const std::wstring& text, uint32_t& out) {
        uint64_t value = 0;
        size_t i = 0;
        unsigned base = 10;
        if (text.size() > 2 && text[0] == L'0' && (text[1] == L'x' || text[1] == L'X')) {
            base = 16;
            i = 2;
        }
        if (i >= text.size()) return false;
        for (; i < text.size(); ++i) {
            int digit = HexDigit(text[i]);
            if (digit < 0 || static_cast<unsigned>(digit) >= base) return false;
            value = value * base + static_cast<unsigned>(digit);
            if (value > 0xFFFFFFFFull) return false;
        }
        out = static_cast<uint32_t>(value);
        return true;
    }

    static bool ParseBytes(const std::wstring& text, std::vector<uint8_t>& out) {
        if (text.size() % 2 != 0) return false;
        for (size_t i = 0; i < text.size(); i += 2) {
            int high = HexDigit(text[i]), low = HexDigit(text[i + 1]);
            if (high < 0 || low < 0) return false;
            out.push_back(static_cast<uint8_t>(high * 16 + low));
        }
        return true;
    }

    static int HexDigit(wchar_t c) {
        if (c >= L'0' && c <= L'9') return c - L'0';
        if (c >= L'a' && c <= L'f') return c - L'a' + 10;
        if (c >= L'A' && c <= L'F') return c - L'A' + 10;
        return -1;
    }

    static bool RootOf(const std::wstring& name, RegistryRoot& root) {
        static const struct {
            const wchar_t* shortName;
            const wchar_t* longName;
            RegistryRoot root;
        } kRoots[] = {
            {L"HKCR", L"HKEY_CLASSES_ROOT", RegistryRoot::ClassesRoot},
            {L"HKCU", L"HKEY_CURRENT_USER", RegistryRoot::CurrentUser},
            {L"HKLM", L"HKEY_LOCAL_MACHINE", RegistryRoot::LocalMachine},
            {L"HKU", L"HKEY_USERS", RegistryRoot::Users},
            {L"HKCC", L"HKEY_CURRENT_CONFIG", RegistryRoot::CurrentConfig},
        };
        for (const auto& r : kRoots) {
            if (EqualsNoCase(name, r.shortName) || EqualsNoCase(name, r.longName)) {
                root = r.root;
                return true;
            }
        }
        return false;
    }

    // Reads the next token into token_; false (with the error set) on a lexical error.
    bool Next() {
        while (pos_ < text_.size() && IsSpace(text_[pos_])) {
            if (text_[pos_] == L'\n') ++line_;
            ++pos_;
        }
        token_ = Token();
        token_.line = line_;
        if (pos_ >= text_.size()) return true;
        const wchar_t c = text_[pos_];
        if (c == L'{' || c == L'}' || c == L'=') {
            token_.kind = c == L'{' ? TokenKind::Open : c == L'}' ? TokenKind::Close : TokenKind::Equals;
            ++pos_;
            return true;
        }
        std::wstring raw;
        if (c == L'\'') {
            token_.kind = TokenKind::Quoted;
            ++pos_;
            for (;;) {
                if (pos_ >= text_.size()) return Fail(L"unterminated quoted text");
                const wchar_t q = text_[pos_++];
                if (q == L'\'') {
                    if (pos_ < text_.size() && text_[pos_] == L'\'') {
                        raw += L'\'';
                        ++pos_;
                        continue;
                    }
                    break;
                }
                if (q == L'\n') ++line_;
                raw += q;
            }
        } else {
            token_.kind = TokenKind::Word;
            while (pos_ < text_.size() && !IsDelimiter(text_[pos_])) raw += text_[pos_++];
        }
        return Expand(raw, token_.text);
    }

    // Applies the %NAME% replacements; a NUL character is refused because the registry would cut there.
    bool Expand(const std::wstring& raw, std::wstring& out) {
        out.clear();
        for (size_t i = 0; i < raw.size(); ++i) {
            const wchar_t c = raw[i];
            if (c == L'\0') return Fail(L"NUL character in the script");
            if (c != L'%') {
                out += c;
                continue;
            }
            const size_t end = raw.find(L'%', i + 1);
            if (end == std::wstring::npos) return Fail(L"unterminated %replacement%");
            if (end == i + 1) {
                out += L'%';
            } else {
                const std::wstring name = raw.substr(i + 1, end - i - 1);
                const std::wstring* value = replacements_.Find(name);
                if (!value) return Fail(L"unknown replacement %" + name + L"%");
                out += *value;
            }
            i = end;
        }
        return true;
    }

    bool Fail(const std::wstring& message) {
        if (error_.empty()) error_ = L"line " + std::to_wstring(token_.line) + L": " + message;
        return false;
    }

    const std::wstring& text_;
    const RegistryReplacements& replacements_;
    size_t pos_ = 0;
    int line_ = 1;
    Token token_;
    std::wstring error_;
};

}  // namespace

bool ParseRegistryScript(const std::wstring& text, const RegistryReplacements& replacements,
                         RegistryScript& script, std::wstring& error) {
    script = RegistryScript();
    error.clear();
    Parser parser(text, replacements);
    RegistryScript parsed;
    if (!parser.Parse(parsed)) {
        error = parser.Error();
        return false;
    }
    script = std::move(parsed);
    return true;
}

}  // namespace ferrow
