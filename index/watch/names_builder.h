// Builds the name sidecar for the watcher without holding up its batches: a build is begun, runs
// elsewhere (a child process in the real watcher), and is asked for its outcome later.
//
// Contract:
// - `begin` starts one build of the sidecar from the index as it is then; the caller never begins
//   a second before the first has given its outcome. False (with `error`) when it cannot start.
// - `outcome` never blocks: none while the build runs, then its outcome exactly once. A build
//   that succeeded names the generation of the index it read (the generation the sidecar on disk
//   now carries); one that failed or was killed has left the previous sidecar in place.
// - `waitFd` is a descriptor that becomes readable when the build may have ended (a caller's
//   poll() wakes for it, rather than asking on a timer); -1 when there is none to wait on.
// - `stop` ends a build that still runs (one that hangs): it gives no outcome afterwards, the
//   previous sidecar stays, and nothing of the build is left behind. Without a build it does
//   nothing.
// - Destroying a builder stops a build that still runs and leaves nothing of it behind.
#pragma once

#include "os/process.h"
#include "os/process_fd.h"

#include <sqlite3.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace skimmer::index::watch {

struct NamesBuilt {
    bool ok = false;
    int64_t generation = -1;  // the generation the written sidecar carries; ok only
    std::string error;        // why it failed; !ok only
};

class NamesBuilder {
public:
    virtual ~NamesBuilder() = default;
    virtual bool begin(std::string& error) = 0;
    virtual std::optional<NamesBuilt> outcome() = 0;
    virtual void stop() = 0;
    virtual int waitFd() const { return -1; }
};

// Builds within `begin` on the caller's connection (tests, and small indexes where a process
// would cost more than the build). `build` returns true when the sidecar is current.
class InlineNamesBuilder final : public NamesBuilder {
public:
    InlineNamesBuilder(std::function<bool(sqlite3*)> build, std::function<sqlite3*()> db)
        : build_(std::move(build)), db_(std::move(db)) {}
    bool begin(std::string& error) override;
    std::optional<NamesBuilt> outcome() override;
    void stop() override { done_.reset(); }  // it ended within `begin`

private:
    std::function<bool(sqlite3*)> build_;
    std::function<sqlite3*()> db_;
    std::optional<NamesBuilt> done_;
};

// Runs `argv` as a child whose stdout ends with "generation N" when it wrote the sidecar. Its
// memory is its own, so the watcher's stays small. A child that fails or is killed may leave its
// half-written temporary file ("<sidecar>.tmp.<pid>", the name sidecar_file.cpp gives it): that
// is removed here, as the child could not.
class ChildNamesBuilder final : public NamesBuilder {
public:
    ChildNamesBuilder(std::vector<std::string> argv, std::filesystem::path sidecar)
        : argv_(std::move(argv)), sidecar_(std::move(sidecar)) {}
    bool begin(std::string& error) override;
    std::optional<NamesBuilt> outcome() override;
    void stop() override;  // kills the child's process group
    int waitFd() const override { return child_ ? os::outputFd(*child_) : -1; }  // its output ends as it ends
    // Waits at most `timeout` for a running child to end (for callers that have nothing else to do).
    void waitForEnd(std::chrono::milliseconds timeout) {
        if (child_) child_->waitFor(timeout);
    }

private:
    NamesBuilt judge(const os::ExitStatus& status);
    void removeLeftover();

    std::vector<std::string> argv_;
    std::filesystem::path sidecar_;
    std::unique_ptr<os::Process> child_;
    std::string out_, err_;
};

// "generation N" as the last line of `text`; none otherwise.
std::optional<int64_t> builtGeneration(const std::string& text);

}  // namespace skimmer::index::watch
