// The state of one `locate` run inside the engine record: the child, its output split into lines,
// what its standard error said first, and how far the run has got; beside it the limited run that
// brings the first hits early. Internal to engines/.
//
// Contract: owns both children; destroying the run kills a child that still runs and reaps it (the
// os::Process destructor), so no path out of a search leaves a process or a pipe behind.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "engines/l32_engine.h"
#include "engines/locate_lines.h"
#include "os/process.h"

namespace skimmer::engines {

// Bytes of standard error kept: enough for its first line, never more.
constexpr size_t kL32ErrorKeepBytes = 512;
// How long after its output ended a program may take to exit before the search ends without
// its exit status.
constexpr std::chrono::milliseconds kL32ExitGrace{1000};
// plocate and mlocate end with this code, and print nothing on standard error, when no name
// matched; with anything on standard error the same code is a failure (a missing database).
constexpr int kLocateNoMatchExit = 1;
// Bytes of standard error RunAndCapture reads, and drops, per look.
constexpr size_t kL32ErrorReadBytes = 65536;

// The same search stopped after its first kL32FirstHits hits. A locate that writes into a pipe
// holds its output back until its buffer fills or it ends, so a search with few hits shows none
// until it has read its whole database; the limited run ends, and so shows its hits, as soon as
// it has them. Its hits come first; the full run's output repeats them and they are dropped there.
struct TFirstHitsRun {
    std::unique_ptr<os::Process> Process;  // stderr is not captured: the full run reports errors
    LocateLineSplitter Lines{kL32MaxLineBytes};
};

struct TLocateRun {
    // The full run; none while it waits for the limited run, or with nothing to run (a text of blanks).
    std::unique_ptr<os::Process> Process;
    std::vector<std::string> FullArguments;
    std::chrono::steady_clock::time_point StartFullBy;  // while FirstHits runs: the full run's latest start
    LocateLineSplitter Lines{kL32MaxLineBytes};
    std::string FirstError;    // the first line of standard error (at most kL32ErrorKeepBytes)
    bool ErrorLineDone = false;  // FirstError has its line end, or the stream ended
    bool ErrorOutput = false;  // standard error carried at least one byte
    int64_t Paths = 0;         // hits made so far
    bool SawFirstLine = false; // the first line was checked for "Error:"
    bool OutputEnded = false;  // standard output reached its end
    std::chrono::steady_clock::time_point OutputEndedAt;
    bool Finished = false;     // Finished was reported
    // While it runs: the limited run. It ends at its own end, or as soon as the full run prints.
    // The full run starts when it ends, or kL32FullRunAfter after it started at the latest.
    std::unique_ptr<TFirstHitsRun> FirstHits;
    // The lines the limited run made hits, each with how often the full run has yet to repeat it.
    std::unordered_map<std::string, int> Shown;
};

}  // namespace skimmer::engines
