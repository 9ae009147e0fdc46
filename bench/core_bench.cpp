// How the core's cost grows with a folder: the lookups and status decisions behind the overlay and
// column answers, over CVS/Entries texts of 100, 1,000 and 10,000 files held in memory, and the log
// parser over the real client's logs of 10, 1,000 and 10,000 revisions (a tag on every fifth), with the
// History page's tree built from each.
// Usage: core_bench LOGDIR   (LOGDIR holds log-10.txt, log-1000.txt, log-10000.txt; scripts/bench.sh)
#include "bench/bench_common.h"
#include "model/core/entry.h"
#include "model/core/line_splitter.h"
#include "model/core/status.h"
#include "model/core/entry_index.h"
#include "model/core/cvs_log.h"
#include "propsheet/core/history_tree.h"

#include <fstream>
#include <sstream>

namespace {

// What FindEntry does for one name: read from the top, stop at the first matching line.
bool Lookup(const std::string& entries, const std::string& name, CCVSEntry& entry) {
    MemoryLineSplitter reader(entries);
    std::string line;
    while (reader.ReadLine(line) == 0) {
        if (ParseEntryLine(line, entry) && entry.Name == name) return true;
    }
    return false;
}

void Folder(int n) {
    std::string entries;
    for (int i = 0; i < n; ++i) entries += bench::EntryLine(i);
    entries += "D/sub////\n";

    // Reference: reading and parsing the folder's Entries once.
    double reference = bench::TimePerRun([&] {
        MemoryLineSplitter reader(entries);
        std::string line;
        CCVSEntry entry;
        int found = 0;
        while (reader.ReadLine(line) == 0) found += ParseEntryLine(line, entry);
        if (found != n) std::abort();
    });

    char title[64];
    std::snprintf(title, sizeof title, "Folder of %d files (Entries in memory)", n);
    bench::PrintHeader(title);
    bench::PrintRow("reference: parse Entries once", n, reference, reference);

    double lookups = bench::TimePerRun([&] {
        CCVSEntry entry;
        for (int i = 0; i < n; ++i)
            if (!Lookup(entries, bench::FileName(i), entry)) std::abort();
    }, 0.05);
    bench::PrintRow("entry lookup, every item", n, lookups, reference);

    double indexed = bench::TimePerRun([&] {
        CEntryIndex index([](std::string_view name) { return std::string(name); });
        MemoryLineSplitter reader(entries);
        index.AddLines(reader);
        CCVSEntry entry;
        for (int i = 0; i < n; ++i)
            if (!index.Find(bench::FileName(i), entry)) std::abort();
    }, 0.05);
    bench::PrintRow("index built + every item looked up", n, indexed, reference);

    const std::string now = "Tue Dec 08 16:24:01 2026";
    double status = bench::TimePerRun([&] {
        CCVSEntry entry;
        int modified = 0;
        for (int i = 0; i < n; ++i) {
            Lookup(entries, bench::FileName(i), entry);
            modified += DecideStatus(entry, [&] { return i % 10 ? now : std::string("Wed Dec 09 00:00:00 2026"); }) !=
                        kStatusOK;
        }
        if (modified != (n + 9) / 10) std::abort();
    }, 0.05);
    bench::PrintRow("lookup + status, every item", n, status, reference);
}

void Log(const std::string& dir, int revisions) {
    std::ifstream in(dir + "/log-" + std::to_string(revisions) + ".txt", std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    std::string bytes = text.str();
    if (bytes.empty()) {
        std::printf("missing %s/log-%d.txt\n", dir.c_str(), revisions);
        return;
    }
    double reference = bench::TimePerRun([&] {
        MemoryLineSplitter reader(bytes);
        std::string line;
        while (reader.ReadLine(line) == 0) {
        }
    });
    double parse = bench::TimePerRun([&] {
        MemoryLineSplitter reader(bytes);
        CCVSLog log;
        ParseLogLines(reader, log);
        if (static_cast<int>(log.Revisions.size()) != revisions) std::abort();
    });
    CCVSLog log;
    {
        MemoryLineSplitter reader(bytes);
        ParseLogLines(reader, log);
    }
    double tree = bench::TimePerRun([&] {
        CHistoryTree built = BuildHistoryTree(log, "1.1");
        if (built.Nodes.size() < log.Revisions.size()) std::abort();
    });
    char title[96];
    std::snprintf(title, sizeof title, "Log of %d revisions, %zu tags (%zu bytes)", revisions, log.Tags.Count(),
                  bytes.size());
    bench::PrintHeader(title);
    bench::PrintRow("reference: split the lines", revisions, reference, reference);
    bench::PrintRow("ParseLog", revisions, parse, reference);
    bench::PrintRow("history tree (x ref: to ParseLog)", revisions, tree, parse);
}

}  // namespace

int main(int argc, char** argv) {
    std::printf("Ferrow core benchmark (native; times per item, totals, and the ratio to the reference)\n");
    for (int n : {100, 1000, 10000}) Folder(n);
    if (argc > 1)
        for (int r : {10, 1000, 10000}) Log(argv[1], r);
    return 0;
}
