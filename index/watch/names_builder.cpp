#include "index/watch/names_builder.h"

#include "index/storage/schema.h"

#include <unistd.h>

#include <charconv>
#include <string_view>

namespace skimmer::index::watch {

bool InlineNamesBuilder::begin(std::string& /*error*/) {
    sqlite3* db = db_();
    // Nothing writes between the read and the build: they run on this thread.
    const int64_t generation = store::readMetaInt(db, store::kMetaGeneration).value_or(-1);
    done_ = build_(db) ? NamesBuilt{.ok = true, .generation = generation, .error = ""}
                       : NamesBuilt{.ok = false, .generation = -1, .error = "the name index could not be written"};
    return true;
}

std::optional<NamesBuilt> InlineNamesBuilder::outcome() {
    std::optional<NamesBuilt> done = std::move(done_);
    done_.reset();
    return done;
}

std::optional<int64_t> builtGeneration(const std::string& text) {
    std::string_view rest(text);
    while (!rest.empty() && rest.back() == '\n') rest.remove_suffix(1);
    if (const size_t newline = rest.rfind('\n'); newline != std::string_view::npos) rest.remove_prefix(newline + 1);
    constexpr std::string_view kPrefix = "generation ";
    if (!rest.starts_with(kPrefix)) return std::nullopt;
    rest.remove_prefix(kPrefix.size());
    int64_t generation = 0;
    const auto [end, ec] = std::from_chars(rest.data(), rest.data() + rest.size(), generation);
    if (ec != std::errc() || end != rest.data() + rest.size() || generation < 0) return std::nullopt;
    return generation;
}

bool ChildNamesBuilder::begin(std::string& error) {
    out_.clear();
    err_.clear();
    child_ = os::Process::start({.argv = argv_, .workingDirectory = "", .captureStdout = true,
                                 .captureStderr = true, .detachSession = false, .foregroundTerminal = -1},
                                error);
    return child_ != nullptr;
}

std::optional<NamesBuilt> ChildNamesBuilder::outcome() {
    if (!child_) return std::nullopt;
    // Drained on every call, so a chatty child never blocks on a full pipe.
    constexpr size_t kKeep = 4096;  // what we keep of its words; the rest is noise
    const os::ReadState out = child_->readOutput(out_);
    child_->readError(err_);
    if (out_.size() > kKeep) out_.erase(0, out_.size() - kKeep);
    if (err_.size() > kKeep) err_.erase(0, err_.size() - kKeep);
    // Its output ends (or its last line comes: it is written as the child exits) when it is ending:
    // then the exit is waited for, briefly, so that the new sidecar's overlay follows at once
    // (until it does, searches take the plain path).
    const bool ending = out == os::ReadState::EndOfFile || builtGeneration(out_).has_value();
    const std::optional<os::ExitStatus> status = child_->waitFor(std::chrono::milliseconds(ending ? 500 : 0));
    if (!status) return std::nullopt;
    while (child_->readOutput(out_) == os::ReadState::Data) {}
    while (child_->readError(err_) == os::ReadState::Data) {}
    NamesBuilt built = judge(*status);
    child_.reset();
    return built;
}

void ChildNamesBuilder::stop() {
    if (!child_) return;
    child_->terminate();
    removeLeftover();
    child_.reset();
}

void ChildNamesBuilder::removeLeftover() {
    std::filesystem::path leftover = sidecar_;
    leftover += ".tmp." + std::to_string(child_->pid());
    std::error_code ignored;  // usually there is none: the child removes it when it fails by itself
    std::filesystem::remove(leftover, ignored);
}

NamesBuilt ChildNamesBuilder::judge(const os::ExitStatus& status) {
    const std::optional<int64_t> generation = builtGeneration(out_);
    if (status.success() && generation) return {.ok = true, .generation = *generation, .error = ""};
    removeLeftover();
    std::string why = status.success()  ? "ended without naming the generation it built"
                      : status.exited ? "ended with code " + std::to_string(status.code)
                                      : "was killed by signal " + std::to_string(status.signal);
    while (!err_.empty() && err_.back() == '\n') err_.pop_back();
    if (!err_.empty()) why += ": " + err_.substr(err_.rfind('\n') == std::string::npos ? 0 : err_.rfind('\n') + 1);
    return {.ok = false, .generation = -1, .error = "the name index build " + why};
}

}  // namespace skimmer::index::watch
