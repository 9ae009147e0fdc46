// Arbitrary bytes as the client's log output: the parser, the local-text filter and the history tree.
#include "model/core/line_splitter.h"
#include "model/core/cvs_log.h"
#include "propsheet/core/history_tree.h"

#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const char* text = reinterpret_cast<const char*>(data);
    CCVSLog log;
    MemoryLineSplitter splitter(text, size);
    if (!ParseLogLines(splitter, log)) __builtin_trap();  // memory never fails to read
    size_t texts = 0;
    for (const CCVSRevision& r : log.Revisions) texts += r.Revision.size() + r.Author.size() + r.Date.size();
    if (texts > size) __builtin_trap();
    if (log.Tags.Count() != log.Tags.Entries().size()) __builtin_trap();

    const std::string working = log.Revisions.empty() ? std::string() : log.Revisions.back().Revision;
    const CHistoryTree tree = BuildHistoryTree(log, working);
    if (tree.Nodes.empty() || tree.Nodes.size() > 1 + 2 * log.Revisions.size()) __builtin_trap();
    for (size_t i = 0; i < tree.Nodes.size(); ++i) {
        // A parent is always inserted before its children.
        if (tree.Nodes[i].Parent >= static_cast<int>(i)) __builtin_trap();
    }

    MemoryLineSplitter again(text, size);
    std::string kept;
    if (!CollectLocalLogText(again, kept)) __builtin_trap();
    return 0;
}
