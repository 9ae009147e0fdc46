#include "repo/core/cvs_root.h"

#include "model/core/binary_files.h"

#include <cstddef>
#include <iterator>

namespace repo {

namespace {

bool IsAsciiAlpha(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsAsciiDigit(char c) { return c >= '0' && c <= '9'; }
bool IsAsciiAlnum(char c) { return IsAsciiAlpha(c) || IsAsciiDigit(c); }
char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualsNoCase(const std::string& a, const char* b) {
    size_t i = 0;
    for (; i < a.size() && b[i]; ++i) {
        if (Lower(a[i]) != Lower(b[i])) return false;
    }
    return i == a.size() && !b[i];
}

bool HasControl(const std::string& text) {
    for (const char c : text) {
        const unsigned char u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7F) return true;
    }
    return false;
}

// The client's host name rule: dot-separated labels of letters, digits and inner hyphens, at most 255
// characters (a trailing dot tolerated).
bool IsValidHostName(std::string host) {
    if (host.size() > 256 || host.empty()) return false;
    if (host.back() == '.') host.pop_back();
    if (host.empty() || host.size() > 255) return false;
    size_t start = 0;
    while (start <= host.size()) {
        size_t end = host.find('.', start);
        if (end == std::string::npos) end = host.size();
        if (end == start || end - start > 63) return false;
        if (!IsAsciiAlnum(host[start]) || !IsAsciiAlnum(host[end - 1])) return false;
        for (size_t i = start; i < end; ++i) {
            if (!IsAsciiAlnum(host[i]) && host[i] != '-') return false;
        }
        start = end + 1;
    }
    return true;
}

bool IsDrivePath(const std::string& path) {
    return path.size() >= 3 && IsAsciiAlpha(path[0]) && path[1] == ':' && (path[2] == '/' || path[2] == '\\');
}

std::string TrimTrailingSlashes(std::string path) {
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    return path;
}

bool ReadMethod(const std::string& text, RootMethod& method) {
    if (text.compare(0, 4, "ext=") == 0) {
        method = RootMethod::kExt;
        return text.size() > 4;
    }
    static const struct {
        const char* name;
        RootMethod method;
    } kMethods[] = {{"local", RootMethod::kLocal},   {"pserver", RootMethod::kPserver},
                    {"gserver", RootMethod::kGserver}, {"kserver", RootMethod::kKserver},
                    {"ext", RootMethod::kExt},       {"extssh", RootMethod::kExtssh},
                    {"server", RootMethod::kServer}, {"fork", RootMethod::kFork}};
    for (const auto& m : kMethods) {
        if (EqualsNoCase(text, m.name)) {
            method = m.method;
            return true;
        }
    }
    return false;
}

// The method's options the client knows ("proxy=...", "CVS_RSH=..."): each needs "=" and a known name.
bool ValidOptions(const std::string& options) {
    size_t start = 0;
    while (start < options.size()) {
        size_t end = options.find(';', start);
        if (end == std::string::npos) end = options.size();
        const std::string option = options.substr(start, end - start);
        start = end + 1;
        if (option.empty()) continue;
        const size_t eq = option.find('=');
        if (eq == std::string::npos) return false;
        const std::string name = option.substr(0, eq);
        if (!EqualsNoCase(name, "proxy") && !EqualsNoCase(name, "proxyport") && !EqualsNoCase(name, "CVS_RSH") &&
            !EqualsNoCase(name, "CVS_SERVER") && !EqualsNoCase(name, "Redirect"))
            return false;
        if (option.size() > eq + 1 && option[eq + 1] == '-') return false;  // an ssh option in disguise
    }
    return true;
}

}  // namespace

RootError ParseRoot(const std::string& text, CvsRoot& root) {
    root = CvsRoot();
    if (text.empty()) return RootError::kEmpty;
    if (HasControl(text)) return RootError::kControlCharacter;
    std::string rest = text;
    bool methodGiven = false;
    if (rest[0] == ':') {
        const size_t close = rest.find(':', 1);
        if (close == std::string::npos) return RootError::kNoClosingColon;
        std::string method = rest.substr(1, close - 1);
        std::string options;
        const size_t semicolon = method.find(';');
        if (semicolon != std::string::npos) {
            options = method.substr(semicolon + 1);
            method.resize(semicolon);
        }
        if (!ReadMethod(method, root.method) || !ValidOptions(options)) return RootError::kUnknownMethod;
        rest = rest.substr(close + 1);
        methodGiven = true;
    } else if (rest[0] == '/' || IsDrivePath(rest)) {
        root.method = RootMethod::kLocal;
    } else {
        root.method = RootMethod::kExt;  // "host:/path" as the client reads a root without a method
    }

    if (root.method == RootMethod::kLocal || root.method == RootMethod::kFork) {
        if (rest.empty()) return RootError::kNoPath;
        if (root.method == RootMethod::kLocal && rest[0] != '/' && !IsDrivePath(rest)) return RootError::kNotAbsolute;
        if (methodGiven && rest[0] == '-') return RootError::kOptionLike;
        root.path = TrimTrailingSlashes(rest);
        return RootError::kNone;
    }

    const size_t slash = rest.find('/');
    if (slash == std::string::npos) return RootError::kNoPath;
    std::string address = rest.substr(0, slash);
    root.path = TrimTrailingSlashes(rest.substr(slash));
    const size_t at = address.rfind('@');
    if (at != std::string::npos) {
        std::string user = address.substr(0, at);
        address = address.substr(at + 1);
        if (user.find(':') != std::string::npos) return RootError::kPasswordInRoot;
        if (user.find('@') != std::string::npos) return RootError::kBadUser;
        if (!user.empty() && user[0] == '-') return RootError::kOptionLike;
        root.user = user;
    }
    const size_t colon = address.find(':');
    if (colon != std::string::npos) {
        const std::string port = address.substr(colon + 1);
        address.resize(colon);
        if (!port.empty()) {
            if (port.size() > 5) return RootError::kBadPort;
            int value = 0;
            for (const char c : port) {
                if (!IsAsciiDigit(c)) return RootError::kBadPort;
                value = value * 10 + (c - '0');
            }
            if (value <= 0 || value > 65535) return RootError::kBadPort;
            root.port = value;
        }
    }
    if (!address.empty() && address[0] == '-') return RootError::kOptionLike;
    if (!IsValidHostName(address)) return RootError::kBadHost;
    root.host = address;
    return RootError::kNone;
}

std::string CanonicalPserverRoot(const CvsRoot& root) {
    std::string host;
    for (const char c : root.host) host += Lower(c);
    const int port = root.port ? root.port : kDefaultPserverPort;
    return ":pserver:" + root.user + "@" + host + ":" + std::to_string(port) + root.path;
}

bool IsValidTagName(const std::string& tag) {
    if (tag.empty() || !IsAsciiAlpha(tag[0])) return false;
    for (const char c : tag) {
        const unsigned char u = static_cast<unsigned char>(c);
        if (u <= 0x20 || u >= 0x7F) return false;  // the C locale's isgraph
        for (const char* bad = "$,.:;@"; *bad; ++bad) {
            if (c == *bad) return false;
        }
    }
    return true;
}

bool IsValidDate(const std::string& date) { return !date.empty() && date[0] != '-' && !HasControl(date); }

bool IsValidModuleName(const std::string& name) {
    if (name.empty() || name[0] == '-' || name[0] == '/' || name[0] == '\\' || HasControl(name)) return false;
    if (name.size() >= 2 && name[1] == ':') return false;
    size_t start = 0;
    while (start <= name.size()) {
        size_t end = name.find_first_of("/\\", start);
        if (end == std::string::npos) end = name.size();
        if (name.compare(start, end - start, "..") == 0 && end - start == 2) return false;
        start = end + 1;
    }
    return true;
}

std::vector<std::string> DefaultBinaryPatterns() {
    return std::vector<std::string>(std::begin(kBinaryFilePatterns), std::end(kBinaryFilePatterns));
}

std::vector<std::string> SplitPatterns(const std::string& line) {
    std::vector<std::string> patterns;
    std::string current;
    for (const char c : line) {
        if (c == ' ' || c == '\t') {
            if (!current.empty()) patterns.push_back(current);
            current.clear();
        } else {
            current += c;
        }
    }
    if (!current.empty()) patterns.push_back(current);
    return patterns;
}

Checked CheckCheckout(const CheckoutRequest& request) {
    Checked result;
    CvsRoot root;
    result.rootError = ParseRoot(request.root, root);
    if (result.rootError != RootError::kNone) {
        result.error = RequestError::kRoot;
        return result;
    }
    if (!IsValidModuleName(request.module)) {
        result.error = RequestError::kModule;
        return result;
    }
    if (!request.folder.empty() && !IsValidModuleName(request.folder)) {
        result.error = RequestError::kFolder;
        return result;
    }
    std::vector<std::string>& args = result.arguments;
    args = {"-q", "-d", request.root, "checkout"};
    if (request.prune) args.push_back("-P");
    if (request.revision == Revision::kTag) {
        if (!IsValidTagName(request.tagOrDate)) {
            result.error = RequestError::kTag;
            args.clear();
            return result;
        }
        args.push_back("-r");
        args.push_back(request.tagOrDate);
    } else if (request.revision == Revision::kDate) {
        if (!IsValidDate(request.tagOrDate)) {
            result.error = RequestError::kDate;
            args.clear();
            return result;
        }
        args.push_back("-D");
        args.push_back(request.tagOrDate);
    }
    if (!request.folder.empty()) {
        args.push_back("-d");
        args.push_back(request.folder);
    }
    args.push_back(request.module);
    return result;
}

Checked CheckImport(const ImportRequest& request) {
    Checked result;
    CvsRoot root;
    result.rootError = ParseRoot(request.root, root);
    RequestError error = RequestError::kNone;
    if (result.rootError != RootError::kNone) {
        error = RequestError::kRoot;
    } else if (!IsValidModuleName(request.module)) {
        error = RequestError::kModule;
    } else if (!IsValidTagName(request.vendorTag)) {
        error = RequestError::kVendorTag;
    } else if (!IsValidTagName(request.releaseTag)) {
        error = RequestError::kReleaseTag;
    } else if (request.message.empty() || HasControl(request.message)) {
        error = RequestError::kMessage;
    }
    for (const std::string& pattern : request.binaryPatterns) {
        if (error != RequestError::kNone) break;
        if (pattern.empty() || pattern.find_first_of("'\" \t") != std::string::npos || HasControl(pattern) ||
            pattern[0] == '-')
            error = RequestError::kPattern;
    }
    result.error = error;
    if (error != RequestError::kNone) return result;
    std::vector<std::string>& args = result.arguments;
    args = {"-q", "-d", request.root, "import", "-m", request.message};
    for (const std::string& pattern : request.binaryPatterns) {
        args.push_back("-W");
        args.push_back(pattern + " -k 'b'");
    }
    args.push_back(request.module);
    args.push_back(request.vendorTag);
    args.push_back(request.releaseTag);
    return result;
}

}  // namespace repo
