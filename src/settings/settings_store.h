// The extension's settings under HKEY_CURRENT_USER\Software\Pembrake\Ferrow. No settings object: each
// read opens the subkey, reads, and closes it, so a change takes effect at the next use. The one setting
// read for every item (UseCVSNTTimestamps) is kept between calls, and read again once the registry
// notified a change, which it does before the writer's call returns: the next use sees it all the same.
// Every reader has a default that applies when the key or value is missing, of another type, or oversized.
// Nothing here ever deletes a value.
#pragma once

#include <windows.h>

#include <string>

namespace settings {

constexpr const char kRootKey[] = "Software\\Pembrake\\Ferrow";
constexpr const char kOptionsKey[] = "Software\\Pembrake\\Ferrow\\Options";
constexpr const char kToolsKey[] = "Software\\Pembrake\\Ferrow\\Tools";
constexpr const char kMRUKey[] = "Software\\Pembrake\\Ferrow\\MRU";
constexpr const char kColumnsKey[] = "Software\\Pembrake\\Ferrow\\Columns";

// Options (REG_SZ "TimestampCompatibility": "CVS" or "CVSNT"; REG_DWORD "AutoShowOutput": 1 or 0).
constexpr const char kTimestampCompatibility[] = "TimestampCompatibility";
constexpr const char kAutoShowOutput[] = "AutoShowOutput";
constexpr const char kRuleCVS[] = "CVS";
constexpr const char kRuleCVSNT[] = "CVSNT";
constexpr DWORD kDefaultAutoShowOutput = 0;
// Options: where an operation's output goes (REG_SZ "OutputMode": "auto", "window" or "bar") and whether
// its output window closes by itself after a success without standard error (REG_DWORD
// "CloseOutputOnSuccess": 1 or 0).
constexpr const char kOutputMode[] = "OutputMode";
constexpr const char kOutputModeAuto[] = "auto";
constexpr const char kOutputModeWindow[] = "window";
constexpr const char kOutputModeBar[] = "bar";
constexpr const char kCloseOutputOnSuccess[] = "CloseOutputOnSuccess";
constexpr const char kOutsideEntries[] = "OutsideWorkingCopies";  // REG_DWORD, 0 hides Checkout and Import

// Tools (REG_SZ command templates).
constexpr const char kToolCvs[] = "Cvs";
constexpr const char kToolDiff[] = "Diff";
constexpr const char kToolView[] = "View";
constexpr const char kDefaultCvs[] = "cvs";
constexpr const char kDefaultDiff[] = "windiff $(OldFile) $(NewFile)";
constexpr const char kDefaultView[] = "notepad $(File)";

// MRU (REG_MULTI_SZ lists, most recent first; see mru_list.h).
constexpr const char kMRULogMessage[] = "LogMessage";
constexpr const char kMRUTag[] = "Tag";
constexpr const char kMRUCustomCommand[] = "CustomCommand";
constexpr const char kMRURepository[] = "Repository";
constexpr const char kMRUImportMessage[] = "ImportMessage";
constexpr size_t kMRUCapacity = 20;

// Columns (REG_DWORD flag sets, never written by the extension; bits and defaults in views/core/column_rules.h).
constexpr const char kColumnStatus[] = "Status";
constexpr const char kColumnTag[] = "Tag";
constexpr const char kColumnOptions[] = "Options";
constexpr const char kColumnRevision[] = "Revision";
constexpr const char kColumnAuthor[] = "Author";

// The browser-helper key the Options page makes sure of (HKEY_LOCAL_MACHINE); the CLSID is appended in braces.
constexpr const char kBrowserHelperObjectsKey[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Browser Helper Objects";

// Reads a string value of at most 259 characters (260 bytes with its NUL) of type REG_SZ or
// REG_EXPAND_SZ (not expanded). False, and `value` untouched, for a missing key or value, another type,
// data without a terminating NUL, or an oversized value: the caller applies its default.
bool ReadString(const char* subkey, const char* name, std::string& value);

// Reads four bytes into `value`; on failure `value` keeps its default.
void ReadDword(const char* subkey, const char* name, DWORD& value);

// Creates the subkey if needed and writes the value (REG_SZ with its NUL, or REG_DWORD). Failures are
// silent to the user; the result says whether the write happened.
bool WriteString(const char* subkey, const char* name, const std::string& value);
bool WriteDword(const char* subkey, const char* name, DWORD value);

// "TimestampCompatibility" is exactly "CVSNT" (case-sensitive); anything else means the CVS rule.
bool UseCVSNTTimestamps();

// "AutoShowOutput" as stored (0 when it cannot be read). Only exactly 1 turns the option on.
DWORD GetAutoShowOutput();

// Where an operation with user interface shows its output: kAuto the console bar where one is open in the
// invoking window, otherwise a window of its own; kWindow always that window; kBar the console bar (and the
// shell's progress window and the error box) as without the window.
enum class OutputMode { kAuto, kWindow, kBar };
// "OutputMode" exactly "window" or "bar" (case-sensitive); anything else, or nothing, is kAuto.
OutputMode GetOutputMode();
// "CloseOutputOnSuccess" stored as exactly 1 (0 when it cannot be read).
bool GetCloseOutputOnSuccess();
// Writes both output options of the Options page (nothing when the key cannot be opened); the result says
// whether both were written.
bool SaveOutputOptions(OutputMode mode, bool closeOnSuccess);

// Checkout and Import on folders outside working copies: on unless "OutsideWorkingCopies" is stored as 0.
bool GetOutsideEntries();
bool SetOutsideEntries(bool on);

// A tool command of the Tools key as stored, even when empty. When it cannot be read, the default of
// "Cvs", "Diff" or "View"; for any other name the result is false and `value` is untouched.
bool GetTool(const char* name, std::string& value);
// Writes a tool command (REG_SZ). False when the write failed.
bool SetTool(const char* name, const std::string& value);

// The command that stands for "$(CVS)" when a command runs: the "Cvs" value, or "cvs" when that is
// missing, unreadable or empty.
std::string GetCvsCommand();

// Writes the three tool fields of the Tools page in the order Cvs, Diff, View; an empty field keeps
// the stored value. Texts are cut to 259 characters.
void SaveToolFields(const std::string& cvs, const std::string& diff, const std::string& view);

// Writes the Options page: "TimestampCompatibility" ("CVSNT" when `cvsnt`, else "CVS") and
// "AutoShowOutput" in one opening of the Options key (nothing when it cannot be opened). When the option
// was written as 1 and `browserHelperClsid` (the CLSID in braces) is given, the browser-helper key under
// HKEY_LOCAL_MACHINE is created if missing; a failure there (no administrative rights) is ignored.
// The result says whether the HKEY_CURRENT_USER values were written.
bool SaveOptions(bool cvsnt, bool autoShow, const char* browserHelperClsid);

// A Columns value (flag bits), or `fallback` when it cannot be read.
DWORD GetColumnFlags(const char* name, DWORD fallback);

}  // namespace settings
