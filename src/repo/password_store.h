// The client's password file on disk: where the client looks for it, read whole, written whole through a
// temporary file renamed over the old one (so that a reader sees the old file or the new one, never half
// of either). Lines other than the root's are kept byte for byte (repo/core/password_file.h).
#pragma once

#include "repo/core/cvs_root.h"

#include <windows.h>

#include <string>

namespace repo {

// The file the Windows client uses: %CVS_PASSFILE%, else %HOME%\.cvspass, else
// %HOMEDRIVE%%HOMEPATH%\.cvspass. False when none of these is set.
bool PasswordFilePath(std::string& path);

// The whole file; an empty text and S_FALSE when it does not exist.
HRESULT ReadPasswordFile(const std::string& path, std::string& text);
// Replaces the file with `text`: a temporary file in the same folder, flushed, then renamed over it.
HRESULT WritePasswordFile(const std::string& path, const std::string& text);

// Sets the root's line to the scrambled password (the root's user must be set). `previous` receives the
// file's text before, so that a caller can put it back when the server refuses the password.
HRESULT StorePassword(const CvsRoot& root, const std::string& password, std::string& previous);
// Removes every line of the root; `removed` says whether there was one (nothing is written otherwise).
HRESULT RemovePassword(const CvsRoot& root, bool& removed);
// Whether a password is stored for the root.
bool HasPassword(const CvsRoot& root);

// Overwrites a password held in memory before its memory goes back to the heap.
void WipeText(std::string& text);

}  // namespace repo
