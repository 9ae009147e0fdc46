// The validated index of each working folder's CVS/Entries and CVS/Entries.Log (the changes of a command
// that was interrupted before it folded them into Entries, applied as the client applies them). Every call
// checks Entries with one attribute query (size, last-write and creation time; no open), and the log with
// one more at most every 100 ms while Entries stays the same (the log changes alone only while the client
// runs or after it was interrupted: such a change is seen within 100 ms), and answers from the index when
// nothing changed since it was read; otherwise it
// reads the files again (or, when Entries or its CVS folder is gone or is not a file, forgets the folder).
// An index whose files were written less than two seconds before they were read may miss a same-size
// rewrite within one time-stamp tick: it is read again at the next call, then after waits that double up
// to 100 ms while the stamp stays the same.
//
// The client replaces Entries by writing CVS/Entries.Backup, deleting Entries and renaming the backup into
// its place; a file of the working copy is therefore open only for the instant of a read: each file is read
// whole into memory and closed before it is parsed, shared for reading and writing but not for deletion (a
// delete the handle let through would lose Entries when the handle closes; refused, it leaves Entries
// whole and the client's log behind). While a fresh CVS/Entries.Backup exists the files are not opened:
// the last snapshot answers, not trusted, and the next call looks again.
//
// Process-wide, at most kMaxCachedFolders folders (least recently used dropped first). Each index is an
// immutable snapshot shared with its callers; the cache's lock is held only to look one up or swap one in,
// never while a file is read. Threads that find one folder changed read it once: one reads, the others
// wait for it (one folder's reading blocks no other folder).
#pragma once

#include "model/core/entry_index.h"

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

constexpr size_t kMaxCachedFolders = 64;

// The index of `folder`'s CVS\Entries as the file stands now; null when there is none or it cannot be
// read. Names compare as the file system compares them (see EntryNameKey).
std::shared_ptr<const CEntryIndex> GetEntryIndex(const std::string& folder);

// The key under which a name is compared: the name in the thread's ANSI code page as UTF-16, each unit
// upper-cased by the system's table, as CompareStringOrdinal compares while ignoring case.
std::string EntryNameKey(std::string_view name);
