// Arbitrary text as a repository root and as a password file: the parsers never read outside their
// input, an accepted root has no leading "-" in its user or host, and a password line set for a root is
// found again while every other line stays as it was.
#include "repo/core/cvs_root.h"
#include "repo/core/password_file.h"

#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const size_t split = text.find('|');
    const std::string rootText = text.substr(0, split);
    const std::string file = split == std::string::npos ? std::string() : text.substr(split + 1);

    repo::CvsRoot root;
    if (repo::ParseRoot(rootText, root) == repo::RootError::kNone) {
        if ((!root.user.empty() && root.user[0] == '-') || (!root.host.empty() && root.host[0] == '-'))
            __builtin_trap();
        if (root.path.empty() || root.port < 0 || root.port > 65535) __builtin_trap();
    }
    repo::IsValidTagName(rootText);
    repo::SplitPatterns(rootText);

    repo::CvsRoot pserver;
    if (repo::ParseRoot(":pserver:me@host:/cvs", pserver) != repo::RootError::kNone) __builtin_trap();
    std::string found;
    repo::FindPassword(file, pserver, found);
    const std::string password = "pass" + rootText.substr(0, 8);
    if (!repo::IsStorablePassword(password)) return 0;
    const std::string scrambled = repo::Scramble(password);
    const std::string set = repo::SetPasswordLine(file, pserver, scrambled, size % 2 == 0);
    std::string back;
    if (!repo::FindPassword(set, pserver, back) || back != scrambled) __builtin_trap();
    bool removed = false;
    const std::string without = repo::RemovePasswordLines(set, pserver, removed);
    if (!removed || repo::FindPassword(without, pserver, back)) __builtin_trap();
    bool again = false;
    const std::string original = repo::RemovePasswordLines(file, pserver, again);
    // Removing the root's lines leaves the same text whether or not a line was set in between, except for
    // a line end added to a last line that had none.
    if (without != original && without != original + "\n" && without != original + "\r\n") __builtin_trap();
    return 0;
}
