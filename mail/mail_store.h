// The mail store: what the plug-in asks of a mail program, over the Maildir folders below the mail
// roots it is given. A message is found by its entry id (maildir.h), its creation time and size
// are read from it, and the command that shows it is built.
//
// Contract:
// - `find` locates a message by id: the folders whose path hashes to the id's folder part, then
//   the message whose unique name hashes to the rest (the folders below the roots are looked for
//   again when the id names none of those known). What a folder listing taught is kept (ids to
//   unique names), so later lookups in that folder cost one stat; a message moved or re-flagged
//   since is found by listing its folder again. An id that no longer resolves is an error text,
//   never a crash. Safe to call from any thread.
// - The creation time is the message's Date header, else its file's modification time (the time
//   the index shows); the size is the file's.
// - `showCommand` returns an argument vector and never involves a shell: placeholders expand inside
//   one argument each. The Message-ID reaches a command only as `mailIdPattern` gives it, a text
//   of letters, digits and "@_=%.-" that no command language interprets.
#pragma once

#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "os/maildir.h"

namespace skimmer::mail {

struct MailMessage {
    std::string file;       // the message file now
    std::string folder;     // its Maildir folder (the parent of cur/ and new/)
    std::string messageId;  // without angle brackets; may be empty
    int64_t created = 0;    // Unix seconds
    int64_t size = 0;
};

struct MailLookup {
    std::optional<MailMessage> message;
    std::string error;  // why there is none
};

class MailStore {
public:
    explicit MailStore(std::vector<std::string> roots) : roots_(std::move(roots)) {}
    MailLookup find(std::string_view entryIdHex) const;

private:
    struct Folder {
        std::string path;
        std::unordered_map<std::string, std::string> files;  // id hex -> file path, from the last listing
        bool listed = false;
    };
    // All with mutex_ held.
    std::optional<std::string> locate(const os::MailEntryId& id) const;
    std::optional<std::string> locateIn(const os::MailEntryId& id, size_t firstFolder) const;
    void discover() const;  // adds the folders found below the roots that are not known yet
    void relist(Folder& folder) const;

    std::vector<std::string> roots_;
    mutable std::mutex mutex_;
    mutable std::vector<Folder> folders_;
};

// The Message-ID reduced to letters, digits and "@_=%-", every other character written as '.',
// which as a regular expression matches the original and nothing a command language interprets.
std::string mailIdPattern(std::string_view messageId);

// How a message is shown: a program that takes the terminal, or the host's viewer on a file.
struct MailShowCommand {
    std::vector<std::string> argv;  // empty: show `viewerFile` in the host's viewer
    std::string viewerFile;
    std::string error;              // the configured command could not be used
};

// `configured` is a command line split like a desktop entry's Exec value, with placeholders
// %f (the message file), %d (its Maildir folder), %i (mailIdPattern of its Message-ID) and %%.
// Without one: neomutt, else mutt, when `installed` says so, opened on the folder with the message
// limited to and displayed; else the message file in the viewer.
MailShowCommand showCommand(const MailMessage& message, std::string_view configured,
                            const std::function<bool(std::string_view program)>& installed);

// True when `program` is an executable file in one of the folders of `path` (a colon list).
bool installedOnPath(std::string_view program, std::string_view path);
// installedOnPath over this process's $PATH.
bool installedProgram(std::string_view program);

// The environment variable that holds the configured show command.
inline constexpr const char* kMailCommandVariable = "SKIMMER_MAIL_COMMAND";
// Its value in this process's environment; empty when unset.
std::string configuredMailCommand();

}  // namespace skimmer::mail
