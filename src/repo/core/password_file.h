// The client's password file: one line per :pserver: root, in the form the client writes,
//   /1 :pserver:USER@HOST:PORT/PATH A<scrambled password>
// and older lines without "/1 " whose root the client reads and compares in its canonical form. The
// scrambling is the client's fixed byte table, its own inverse, with "A" in front. Platform-free: the
// callers read the whole file, change its text here and write it back.
#pragma once

#include "repo/core/cvs_root.h"

#include <string>

namespace repo {

// "A" followed by each byte of `clear` through the table.
std::string Scramble(const std::string& clear);
// The clear text of "A..."; false for any other scrambling (the text is then untouched).
bool Descramble(const std::string& scrambled, std::string& clear);

// A password the file can hold: control characters (which the table keeps as they are) would end or
// change the line.
bool IsStorablePassword(const std::string& clear);

// The scrambled password stored for `root` (a :pserver: root with a user): the first line that names it,
// as the client finds it. Line ends (LF or CR LF) are not part of the password.
bool FindPassword(const std::string& fileText, const CvsRoot& root, std::string& scrambled);

// The file's text with the root's line set to `scrambled`: the first line naming the root is replaced in
// place and every later one dropped, or the line is appended; every other line is kept byte for byte. New
// lines end as the file's first line does, CR LF in an empty file when `crlf` (the Windows client's text
// mode), LF otherwise; a last line without its end gets one before an appended line.
std::string SetPasswordLine(const std::string& fileText, const CvsRoot& root, const std::string& scrambled,
                            bool crlf);

// The file's text without any line naming the root; `removed` tells whether there was one.
std::string RemovePasswordLines(const std::string& fileText, const CvsRoot& root, bool& removed);

}  // namespace repo
