// The status of a versioned file: its entry in CVS/Entries compared with the file on disk.
// Every call sees the setting, the entry and the file as they are when it starts: the entry from the
// folder's validated index, the file's time from one attribute query (no open). Safe on several threads.
#pragma once

#include "model/core/entry.h"
#include "model/core/status.h"

#include <windows.h>

#include <cstdint>
#include <string>

// The file's last-write time as CVS/Entries text, by the configured rule ("CVS" or "CVSNT"); empty when
// the time cannot be read (missing file, a folder). A file open for writing elsewhere has its time too.
std::string GetFileTimeText(const char* path);

// The two rules, for callers and tests that choose one themselves.
std::string GetFileTimeTextCVSNT(const char* path);
std::string GetFileTimeTextCVS(const char* path);

// The CVS rule's seconds for a UTC instant: the instant moved by the zone's DaylightBias when the current
// zone's rules put it in daylight saving time.
int64_t ApplyDaylightRule(int64_t unixSeconds);

StatusId GetStatus(const char* path, const CCVSEntry& entry);
// The status's display name in the thread's language; empty if the string cannot be loaded.
std::string GetStatusText(const char* path, const CCVSEntry& entry);
// The path has an entry and its status is anything but OK. Folders are never modified.
bool IsModified(const char* path);
// The same for a listed file, with one attribute query of the path; a listed folder is never modified.
bool IsModifiedFile(const char* path);
