// When a folder's index may answer from what it read, when it must read CVS/Entries again, and when it waits
// for the client instead. Platform-free: the Win32 side observes the files (attribute queries by name, no
// open) and a monotonic clock, and these rules decide. Times are microseconds of that clock; file times are
// 100 ns ticks as the file system keeps them.
//
// Two promises meet here. Fresh: every change of Entries is seen by the next call, even a rewrite with the
// same size and the same last-write second, because the stamp holds the change time; and a stamp that may
// still stand for other contents (written within one tick of the file system's clock) is not trusted. Out of
// the client's way: while the client replaces Entries (its CVS/Entries.Backup exists, or Entries changed a
// moment ago right after a replacement) the file is not opened; a thread that may wait waits a little for the
// client to finish, any other answers from the last snapshot, not trusted, and the next call looks again.
#pragma once

#include <cstdint>
#include <limits>

// One tick of a file system's clock, with margin: Windows stamps files from a clock that moves every
// 15.625 ms by default, Linux (under Wine) every 1 to 10 ms.
constexpr int64_t kStampTickMicros = 20000;
// Stamps in whole seconds come from a coarse clock (FAT keeps two seconds, some shares one).
constexpr int64_t kCoarseStampTickMicros = 2000000;
// A replacement seen this recently makes a just-changed Entries count as being replaced.
constexpr int64_t kReplacementMemoryMicros = 1000000;
// The longest a call waits for the client, on a thread that may wait.
constexpr int64_t kClientWaitMicros = 40000;
constexpr int64_t kNeverMicros = std::numeric_limits<int64_t>::min() / 2;

// How long after a stamp appeared another write may still leave it unchanged: one tick of the clock that
// made it. `changeTime` 0 (a file system without one) falls back to the last-write time.
int64_t StampTickMicros(uint64_t changeTime, uint64_t lastWriteTime);

// What a call has seen of a folder whose last snapshot it may not simply use.
struct FolderObservation {
    int64_t now = 0;
    int64_t stampSeenSince = 0;   // when the stamps of Entries and its log were first seen as they are now
    int64_t stampTick = kStampTickMicros;  // StampTickMicros of those stamps
    int64_t replacementSeenAt = kNeverMicros;  // the last time the backup, or Entries missing, was seen
    bool backupPresent = false;   // a fresh CVS/Entries.Backup: the client is between its write and its rename
};

// The client is replacing Entries: its backup is there, or a replacement was seen lately and Entries has not
// yet stood unchanged for one tick since.
bool ClientIsReplacing(const FolderObservation& o);

// A read that started at `readStart` holds the last contents the seen stamps can stand for: any later write
// changes them.
bool ReadIsFinal(const FolderObservation& o, int64_t readStart);

enum class IndexStep {
    kAnswerUntrusted,  // answer from the last snapshot; the next call looks again
    kRead,             // read Entries (and its log) now
    kWait,             // wait a moment, look at the files again, then decide again
};

// The next step of a call that cannot use its folder's last snapshot as trusted. `haveSnapshot`: there is
// one to answer from; `mayWait`: the calling thread may wait until `deadline` (it is no window's thread).
// Without a snapshot a call reads even while the client replaces the file: no answer would be wrong too,
// and a refused delete leaves Entries whole.
IndexStep NextIndexStep(const FolderObservation& o, bool haveSnapshot, bool mayWait, int64_t deadline);
