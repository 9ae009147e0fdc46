// Shared by the benchmark programs: a monotonic clock, the working-copy shapes, and the table printer.
// Platform-free.
#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>

namespace bench {

inline double NowSeconds() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

// Runs f repeatedly until at least minSeconds have passed; returns seconds per run.
template <typename F>
double TimePerRun(F&& f, double minSeconds = 0.2) {
    int runs = 0;
    double start = NowSeconds(), elapsed = 0;
    do {
        f();
        ++runs;
        elapsed = NowSeconds() - start;
    } while (elapsed < minSeconds);
    return elapsed / runs;
}

inline std::string FileName(int i) {
    char name[32];
    std::snprintf(name, sizeof name, "file%05d.c", i);
    return name;
}

// A line as the client writes it; every tenth file is "modified" (its recorded time differs).
inline std::string EntryLine(int i) {
    return "/" + FileName(i) + "/1." + std::to_string(1 + i % 7) + "/Tue Dec  8 16:24:01 2026//\n";
}

inline void PrintHeader(const char* title) {
    std::printf("\n%s\n%-34s %8s %14s %12s %10s\n", title, "measure", "items", "per item (us)", "total (ms)",
                "x ref");
}

inline void PrintRow(const char* what, int items, double totalSeconds, double referenceSeconds) {
    std::printf("%-34s %8d %14.2f %12.2f %10.1f\n", what, items, totalSeconds * 1e6 / items, totalSeconds * 1e3,
                referenceSeconds > 0 ? totalSeconds / referenceSeconds : 0.0);
}

}  // namespace bench
