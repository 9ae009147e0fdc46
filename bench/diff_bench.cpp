// The viewer's diff of two large files (not a test): two files of 100,000 lines with 1,000 scattered
// changes (changed, inserted and removed lines) are read, decoded, compared and aligned as the viewer does
// it (diffview::LoadDiffDocument), and the diff alone is timed too. Prints times and the process's peak
// memory. Windows program: run it under Wine (scripts/bench.sh).
#include "bench/bench_common.h"
#include "diffview/core/line_diff.h"
#include "diffview/core/side_by_side.h"
#include "diffview/diff_document.h"

#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

namespace {

std::string Line(std::mt19937& random, int i) {
    static const char* const kWords[] = {"value", "count", "index", "result", "buffer", "length", "offset", "name"};
    std::string line = "    " + std::string(kWords[random() % 8]) + "_" + std::to_string(i) + " = " +
                       kWords[random() % 8] + "(" + std::to_string(random() % 1000) + ");";
    return line;
}

// The process's CPU time (user and kernel): the machine may be shared, the wall clock then says little.
double CpuSeconds() {
    FILETIME created, exited, kernel, user;
    ::GetProcessTimes(::GetCurrentProcess(), &created, &exited, &kernel, &user);
    auto seconds = [](const FILETIME& t) {
        return ((static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 1e7;
    };
    return seconds(kernel) + seconds(user);
}

double PeakMiB() {
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof(counters);
    ::GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof(counters));
    return counters.PeakWorkingSetSize / (1024.0 * 1024.0);
}

bool Write(const std::string& file, const std::string& text) {
    HANDLE h = ::CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const bool ok = ::WriteFile(h, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) && written == text.size();
    ::CloseHandle(h);
    return ok;
}

}  // namespace

int main() {
    constexpr int kLines = 100000, kChanges = 1000;
    std::mt19937 random(2026);
    std::vector<std::string> oldLines, newLines;
    for (int i = 0; i < kLines; ++i) oldLines.push_back(Line(random, i));
    // Every 100th line: a changed line, an inserted one or a removed one, in turn.
    for (int i = 0; i < kLines; ++i) {
        if (i % (kLines / kChanges) != 50) {
            newLines.push_back(oldLines[static_cast<size_t>(i)]);
            continue;
        }
        switch ((i / (kLines / kChanges)) % 3) {
        case 0:
            newLines.push_back(oldLines[static_cast<size_t>(i)] + " // changed");
            break;
        case 1:
            newLines.push_back("    inserted_" + std::to_string(i) + "();");
            newLines.push_back(oldLines[static_cast<size_t>(i)]);
            break;
        default:
            break;  // removed
        }
    }
    std::string oldText, newText;
    for (const std::string& l : oldLines) oldText += l + "\r\n";
    for (const std::string& l : newLines) newText += l + "\n";

    char temp[MAX_PATH] = {};
    ::GetTempPathA(MAX_PATH, temp);
    const std::string oldFile = std::string(temp) + "ferrow_bench_old.txt", newFile = std::string(temp) + "ferrow_bench_new.txt";
    if (!Write(oldFile, oldText) || !Write(newFile, newText)) {
        std::fprintf(stderr, "cannot write the files in %s\n", temp);
        return 1;
    }
    const double baseMiB = PeakMiB();

    std::vector<std::uint32_t> a, b;
    diffview::NumberElements(oldLines, newLines, a, b);
    double best = 1e9;
    size_t rows = 0;
    for (int run = 0; run < 3; ++run) {
        const double start = bench::NowSeconds();
        rows = diffview::AlignRows(diffview::DiffSequences(a, b)).size();
        best = std::min(best, bench::NowSeconds() - start);
    }
    const double diffSeconds = best;

    best = 1e9;
    double bestCpu = 1e9;
    size_t changes = 0;
    for (int run = 0; run < 3; ++run) {
        diffview::DiffDocument document;
        std::string failed;
        const double start = bench::NowSeconds(), startCpu = CpuSeconds();
        if (FAILED(diffview::LoadDiffDocument(oldFile, newFile, document, failed))) {
            std::fprintf(stderr, "cannot read %s\n", failed.c_str());
            return 1;
        }
        best = std::min(best, bench::NowSeconds() - start);
        bestCpu = std::min(bestCpu, CpuSeconds() - startCpu);
        changes = document.changeStarts.size();
    }
    ::DeleteFileA(oldFile.c_str());
    ::DeleteFileA(newFile.c_str());

    std::printf("\nFerrow diff viewer benchmark (%d-bit build): two files of %d lines, %d scattered changes\n",
                static_cast<int>(sizeof(void*) * 8), kLines, kChanges);
    std::printf("%-44s %10s\n", "measure", "result");
    std::printf("%-44s %10.1f\n", "files' size (MiB, both)", (oldText.size() + newText.size()) / (1024.0 * 1024.0));
    std::printf("%-44s %10.1f\n", "diff and alignment of the lines (ms)", diffSeconds * 1e3);
    std::printf("%-44s %10.1f\n", "read, decode, diff, align: the viewer (ms)", best * 1e3);
    std::printf("%-44s %10.1f\n", "the same, CPU time of the process (ms)", bestCpu * 1e3);
    std::printf("%-44s %10zu\n", "rows", rows);
    std::printf("%-44s %10zu\n", "changes found", changes);
    std::printf("%-44s %10.1f\n", "peak memory before the diffs (MiB)", baseMiB);
    std::printf("%-44s %10.1f\n", "peak memory after (MiB)", PeakMiB());
    return 0;
}
