// The validated index of each working folder's CVS/Entries and CVS/Entries.Log (the changes of a command
// that was interrupted before it folded them into Entries, applied as the client applies them).
//
// Fresh: every call looks at Entries with one attribute query by name (size, creation, last-write and change
// time, the last kept by the file system at 100 ns and moved by every write, also one that sets the
// last-write time back; no handle is kept), and answers from the index only when that stamp is the one it
// read and the read is final (the stamp had stood for one tick of the file system's clock, so that no later
// write can leave it unchanged; model/core/index_freshness.h). Any other call reads again, or waits for
// the client as below: there is no time in which a changed Entries is answered from the old index. While a
// log exists it is looked at at every call too; its appearance is looked for at most every 100 ms while
// Entries stays the same (the log appears only while the client runs a command or after one was
// interrupted; a query of a missing file costs three times that of an existing one under Wine).
//
// Out of the client's way: the client replaces Entries by writing CVS/Entries.Backup, deleting Entries and
// renaming the backup into its place. A file of the working copy is open only for the instant of a read
// (read whole into memory and closed before it is parsed), and never while the client replaces it: while a
// fresh backup exists, or Entries changed within a tick after a replacement was seen, the file is not
// opened. A call whose thread may wait (ClientWait) waits up to 40 ms for the replacement to finish, then
// reads; any other call answers from the last snapshot, not trusted, and the next call looks again. A file
// is shared for reading and writing, and for deletion only where a delete cannot leave it pending (a
// volume with POSIX deletes on Windows 10 1903 and later: the name goes at once and the handle keeps the old
// contents); elsewhere a delete let through would lose Entries at the close, while a refused one leaves it
// whole and the client's log behind.
//
// Process-wide, at most kMaxCachedFolders folders (least recently used dropped first). Each index is an
// immutable snapshot shared with its callers; the cache's lock is held only to look one up or swap one in,
// and a folder's own lock only to decide and to read, never while waiting for the client. Threads that find
// one folder changed read it once: one reads, the others take its snapshot (one folder's reading blocks no
// other folder).
#pragma once

#include "model/core/entry_index.h"

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

constexpr size_t kMaxCachedFolders = 64;

// Whether a call may wait, bounded, for the client to finish replacing Entries.
enum class ClientWait {
    kNever,               // answer at once: a thread whose windows must stay responsive
    kBounded,             // wait up to 40 ms: a thread that owns no window
    kUnlessWindowThread,  // kBounded unless the calling thread shows a window (asked only when a wait is due)
};

// The index of `folder`'s CVS\Entries as the file stands now; null when there is none or it cannot be
// read. Names compare as the file system compares them (see EntryNameKey).
std::shared_ptr<const CEntryIndex> GetEntryIndex(const std::string& folder, ClientWait wait);

// The key under which a name is compared: the name in the thread's ANSI code page as UTF-16, each unit
// upper-cased by the system's table, as CompareStringOrdinal compares while ignoring case.
std::string EntryNameKey(std::string_view name);
