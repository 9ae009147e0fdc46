// The client's annotate output: one line per line of the file, "<revision> (<author> <dd-Mon-yy>): <text>",
// the revision padded to 12 columns, the author cut to 8 and padded (the headers go to standard error).
// Platform-free.
#pragma once

#include <string>
#include <vector>

namespace diffview {

struct AnnotatedLine {
    std::string revision;  // "1.5", "1.3.2.1"
    std::string author;    // as the client prints it: at most 8 characters
    std::string date;      // "09-Dec-26"
    std::string text;      // the file's line, without its line end
};

// One output line without its line end; false when it does not have the layout (a header that came along with standard error, an empty line).
bool ParseAnnotateLine(const std::string& line, AnnotatedLine& out);

// Every line of the output that has the layout, in order. The output's lines end with LF (the Linux
// client) or CR LF (the Windows client), as its first line shows; a CR of the file's own text stays.
std::vector<AnnotatedLine> ParseAnnotate(const std::string& output);

// "09-Dec-26" as 20261209 (two-digit years below 70 are 20xx, the rest 19xx); -1 when it is no such date.
long DateNumber(const std::string& date);

// How recent each line is among the lines given: 0 for the oldest change, 100 for the newest, by date
// and then by revision number (so changes of one day still differ); 100 when all lines are of one change.
std::vector<int> AgePercent(const std::vector<AnnotatedLine>& lines);

}  // namespace diffview
