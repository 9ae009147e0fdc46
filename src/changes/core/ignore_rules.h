// Which names the client leaves out of "unknown" files: its fixed default list, then each folder's
// .cvsignore ("!" empties the list so far). Platform-free.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace changes {

// The client's default ignore list, fixed in the client and documented with it.
extern const char* const kDefaultIgnorePatterns[];

class CIgnoreList {
public:
    // The default list.
    CIgnoreList();
    // Adds the words of a .cvsignore text (separated by white space; "!" clears what came before, the
    // defaults included). Returns the list for the folder; the caller keeps the parent's list unchanged.
    CIgnoreList With(std::string_view cvsignoreText) const;
    // The name matches one of the patterns (sh wildcards * ? [...], compared without case as the
    // Windows client does).
    bool Matches(std::string_view name) const;

private:
    std::vector<std::string> patterns_;
};

// sh-style wildcard match without regard to ASCII case: "*" any run, "?" one character, "[a-z]" and
// "[!a]" classes; a class that is not closed is a literal "[". Linear in pattern x name at worst.
bool WildcardMatch(std::string_view pattern, std::string_view name);

}  // namespace changes
