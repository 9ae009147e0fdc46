// The validated index of each working folder's CVS/Entries. Every call checks the file with one
// attribute query (size, last-write and creation time; no open) and answers from the index only when
// nothing changed since it was read; otherwise it reads the file again (or, when the file or its CVS
// folder is gone or is not a file, forgets the folder). An index whose file was written less than two
// seconds before it was read is read again at the next call: a same-size rewrite within one time-stamp
// tick would otherwise go unseen. So every answer is that of the file on disk when the call starts.
//
// Process-wide, at most kMaxCachedFolders folders (least recently used dropped first). Each index is an
// immutable snapshot shared with its callers; the cache's lock is held only to look one up or swap one in,
// never while a file is read, so readers never wait for each other and one folder's reading blocks no
// other. No file stays open between calls: Entries is opened with read, write and delete sharing (the
// client may rename Entries.Backup over it meanwhile), read once from the start, and closed at once.
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
