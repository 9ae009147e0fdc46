// Runs the client's log command for one path with its output redirected into a temporary file, and reads
// that file: as text for the CVS page, parsed for the History page and the "CVS Author" column.
// Nothing is shown to the user; every failure is a false result, and the temporary file never remains.
#pragma once

#include "model/core/cvs_log.h"

#include <windows.h>

#include <string>

class CRunFrame;

// Creates an empty, uniquely named file in the temporary folder (GetTempFileName with the prefix, of
// which the system uses three letters) and yields its full name.
HRESULT MakeTempFileName(const char* prefix, std::string& name);

// Parses a log output file; false when it cannot be opened or read.
bool ParseLog(const char* file, CCVSLog& log);

// "$(CVS) log -l $(Names) > <temp>": the kept lines of the output (no empty lines, none beginning with
// "==="), each followed by CR LF. `frame`, when given, can cancel the run (a page's fetch); without one
// the run is bounded (exec/process_runner.h).
bool GetLocalLogText(const char* path, std::string& text, CRunFrame* frame = nullptr);

// "$(CVS) log $(Names) > <temp>", parsed; `frame` as above.
bool GetLog(const char* path, CCVSLog& log, CRunFrame* frame = nullptr);

// The author of the block whose revision text equals `revision`, from the full log of the path. The answer
// of a log that ran (found or not) is kept for that path and revision, so asking again starts no process;
// a revision that changes is a new question. A failed log is not kept.
bool GetRevisionAuthor(const char* path, const std::string& revision, std::string& author);
