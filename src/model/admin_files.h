// Reading the administrative files the cvs client keeps in each working folder's "CVS" folder.
// Nothing is written. CVS/Entries is answered from a per-folder index checked against the file at every
// call (model/entries_index.h); the other files are opened anew, with read sharing, at every call. No file
// stays open after a call returns. Paths are ANSI strings, cut to 259 characters before use.
// All functions are safe to call from several threads at once.
#pragma once

#include "model/core/entry.h"

#include <string>

// The folder holds a folder "CVS": it is a working folder.
bool HasCVSDir(const char* folder);
// The folder that holds the path is a working folder.
bool ParentHasCVSDir(const char* path);
// The entry of the path's file in its folder's CVS/Entries (name compared without regard to case). While
// the client replaces Entries, a calling thread that shows no window waits for it up to 40 ms; a window's
// thread answers at once from the last index (ClientWait::kUnlessWindowThread of model/entries_index.h).
bool FindEntry(const char* path, CCVSEntry& entry);
// The first line of a file, without its line end; an empty file gives an empty line.
bool ReadFirstLine(const char* file, std::string& text);
// The first line of CVS/Root, CVS/Repository, CVS/Tag of the item's working folder (the folder itself,
// or the file's folder). ReadTag drops a leading "T"; "D<date>" and "N<tag>" keep their letter.
bool ReadRoot(const char* path, std::string& text);
bool ReadRepository(const char* path, std::string& text);
bool ReadTag(const char* path, std::string& text);
// A working folder (never a folder named "CVS"), or a file listed in its folder's CVS/Entries.
bool IsControlled(const char* path);
