#include "mail/mail_store.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>

#include "os/desktop_exec.h"
#include "mail/mail_header.h"

namespace skimmer::mail {

namespace {

bool isRegularFile(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string folderOf(const std::string& file) {
    const size_t slash = file.rfind('/');
    const size_t parent = slash == std::string::npos || slash == 0 ? std::string::npos : file.rfind('/', slash - 1);
    return parent == std::string::npos ? std::string() : file.substr(0, parent == 0 ? 1 : parent);
}

MailMessage readMessage(const std::string& file) {
    const MessageHead head = readMessageHead(file);
    const MailHeaders headers = parseMailHeaders(head.bytes);
    return MailMessage{.file = file,
                       .folder = folderOf(file),
                       .messageId = bareMessageId(headers.messageId),
                       .created = parseMailDate(headers.date).value_or(head.mtime),
                       .size = head.size};
}

bool isPlainIdChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '@' || c == '_' ||
           c == '=' || c == '%' || c == '-';
}

// Expands %f %d %i %% inside one argument; false for an unknown or dangling placeholder.
bool expandArgument(const std::string& arg, const MailMessage& message, std::string& out, std::string& error) {
    out.clear();
    for (size_t i = 0; i < arg.size(); ++i) {
        if (arg[i] != '%') {
            out += arg[i];
            continue;
        }
        const char code = i + 1 < arg.size() ? arg[++i] : '\0';
        switch (code) {
            case 'f': out += message.file; break;
            case 'd': out += message.folder; break;
            case 'i': out += mailIdPattern(message.messageId); break;
            case '%': out += '%'; break;
            default: error = std::string("unknown placeholder %") + (code ? std::string(1, code) : "") + " in \"" + arg + "\"";
                     return false;
        }
    }
    return true;
}

MailShowCommand configuredCommand(const MailMessage& message, std::string_view configured) {
    MailShowCommand command;
    std::vector<std::string> args;
    if (!os::splitExec(configured, args, command.error)) return command;
    if (args.empty()) {
        command.error = "the mail command is empty";
        return command;
    }
    for (const std::string& arg : args) {
        std::string expanded;
        if (!expandArgument(arg, message, expanded, command.error)) {
            command.argv.clear();
            return command;
        }
        command.argv.push_back(std::move(expanded));
    }
    return command;
}

}  // namespace

void MailStore::relist(Folder& folder) const {
    folder.files.clear();
    os::listMaildir(folder.path, [&](const os::MaildirFile& file) {
        folder.files[os::mailEntryIdHex(os::mailEntryId(folder.path, os::maildirUniquePart(file.name)))] = file.path;
    });
    folder.listed = true;
}

void MailStore::discover() const {
    for (std::string& path : os::findMaildirs(roots_)) {
        const bool known = std::any_of(folders_.begin(), folders_.end(), [&](const Folder& f) { return f.path == path; });
        if (!known) folders_.push_back(Folder{.path = std::move(path)});
    }
}

std::optional<std::string> MailStore::locate(const os::MailEntryId& id) const {
    if (folders_.empty()) discover();
    if (std::optional<std::string> file = locateIn(id, 0)) return file;
    // The folder may be newer than our list of folders (a new account, a folder made since).
    const size_t known = folders_.size();
    discover();
    return locateIn(id, known);
}

std::optional<std::string> MailStore::locateIn(const os::MailEntryId& id, size_t first) const {
    const std::string hex = os::mailEntryIdHex(id);
    for (size_t i = first; i < folders_.size(); ++i) {
        Folder& folder = folders_[i];
        if (os::mailFolderHash(folder.path) != os::mailEntryFolderHash(id)) continue;
        if (folder.listed) {
            const auto known = folder.files.find(hex);
            if (known != folder.files.end() && isRegularFile(known->second)) return known->second;
        }
        relist(folder);  // new to us, or moved or re-flagged since the last listing
        if (const auto found = folder.files.find(hex); found != folder.files.end()) return found->second;
    }
    return std::nullopt;
}

MailLookup MailStore::find(std::string_view entryIdHex) const {
    MailLookup lookup;
    const std::optional<os::MailEntryId> id = os::parseMailEntryIdHex(entryIdHex);
    if (!id) {
        lookup.error = "\"" + std::string(entryIdHex) + "\" is not a mail entry id";
        return lookup;
    }
    std::optional<std::string> file;
    {
        const std::lock_guard lock(mutex_);
        file = locate(*id);
    }
    if (!file) {
        lookup.error = "the mail item " + std::string(entryIdHex) +
                       " was not found in the mail folders (it was moved or deleted; refresh the index with skimmer-index)";
        return lookup;
    }
    lookup.message = readMessage(*file);
    return lookup;
}

std::string mailIdPattern(std::string_view messageId) {
    std::string pattern;
    for (char c : messageId) pattern += isPlainIdChar(c) ? c : '.';
    return pattern;
}

MailShowCommand showCommand(const MailMessage& message, std::string_view configured,
                            const std::function<bool(std::string_view program)>& installed) {
    if (!configured.empty()) return configuredCommand(message, configured);
    for (const char* reader : {"neomutt", "mutt"}) {
        if (!installed || !installed(reader)) continue;
        MailShowCommand command{.argv = {reader, "-f", message.folder}};
        if (!message.messageId.empty()) {
            // Limit the folder to the message and display it; the pattern holds no quote,
            // backtick, blank, '<' or '>', so mutt's command and pattern parsers take it literally.
            command.argv.push_back("-e");
            command.argv.push_back("push \"<limit>~i " + mailIdPattern(message.messageId) + "<enter><display-message>\"");
        }
        return command;
    }
    return MailShowCommand{.viewerFile = message.file};
}

bool installedProgram(std::string_view program) {
    const char* path = std::getenv("PATH");
    return installedOnPath(program, path ? path : "");
}

std::string configuredMailCommand() {
    const char* command = std::getenv(kMailCommandVariable);
    return command ? command : "";
}

bool installedOnPath(std::string_view program, std::string_view path) {
    size_t start = 0;
    while (start <= path.size()) {
        const size_t end = std::min(path.find(':', start), path.size());
        const std::string_view folder = path.substr(start, end - start);
        if (!folder.empty()) {
            const std::string candidate = std::string(folder) + "/" + std::string(program);
            struct stat st {};
            if (::stat(candidate.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(candidate.c_str(), X_OK) == 0)
                return true;
        }
        start = end + 1;
    }
    return false;
}

}  // namespace skimmer::mail
