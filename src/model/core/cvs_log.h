// The parsed output of the client's log command (the RCS log layout) and its parser. Platform-free: the
// Win32 side (exec/log_reader.h) runs the client and feeds the output file through a CLineReader.
#pragma once

#include "model/core/line_splitter.h"
#include "model/core/tag_table.h"

#include <string>
#include <vector>

// One revision block; all texts verbatim from the output.
struct CCVSRevision {
    std::string Revision;  // after "revision " on the block's first line, e.g. "1.12" or "1.2.2.1"
    std::string Date;      // "date" of the date line
    std::string Author;    // "author"
    std::string State;     // "state", e.g. "Exp" or "dead"
    std::string Lines;     // "lines", e.g. "+3 -1"; empty for a first revision
    std::string Message;   // every line up to the next separator, joined with " / "
};

// The log of one file: the header values, the symbolic names, and the revision blocks in the order of the
// output (newest first). When the output holds several files' logs, the header and names are those of the
// first file and the blocks are those of all files.
struct CCVSLog {
    std::string Head;
    std::string Branch;
    std::string Locks;
    std::string AccessList;
    std::string KeywordSubstitution;
    std::string Description;  // only the text on the "description:" line itself
    CTagTable Tags;
    std::vector<CCVSRevision> Revisions;
};

// Parses the lines the reader delivers into `log` (which should be new). Lines that do not fit the
// layout are skipped; an output without revision blocks is a success. False only when the reader fails;
// what was parsed up to the failure stays in `log`.
bool ParseLogLines(LineSplitter& reader, CCVSLog& log);

// The lines kept for the "Log" box: every line but the empty ones and those beginning with "===", each
// followed by CR LF. False when the reader fails.
bool CollectLocalLogText(LineSplitter& reader, std::string& text);
