// Maildir folders: where they are, what their message files are called, and the stable entry id
// that names a message for as long as it stays in its folder.
//
// Contract:
// - A Maildir folder is a directory holding `cur/` (and normally `new/` and `tmp/`). Below a mail
//   root, every such folder is found: the root itself, its Maildir++ subfolders (".Sent",
//   ".Lists.foo") and folders nested in plain directories (one Maildir per account or folder, as
//   synchronisers lay them out), at most kMaxMaildirDepth levels down. Symbolic links are never
//   followed; `cur`, `new` and `tmp` are never searched for more folders. The order is stable.
// - Messages are the regular files of `cur/` and `new/` whose names do not start with '.'; `tmp/`
//   is never read.
// - The entry id of a message is 24 bytes: "SKM" and a format byte (1), then 64 bits of hash of
//   its folder's path, then 96 bits of hash of its unique name (the file name up to the ':' that
//   starts the flags, kept whole otherwise: some software adds ",S=<size>" that we must not
//   parse). Moving a message from new/ to cur/ or changing its flags renames the file but keeps
//   the folder and the unique name, so the id stays; moving it to another folder gives a new id.
// - The URL of a message is "mapi://" followed by its 24 id bytes, each written as the character
//   U+AC00 + byte (UTF-8), which the engine turns back into 48 hexadecimal digits.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace skimmer::os {

inline constexpr int kMaxMaildirDepth = 8;
inline constexpr size_t kMailEntryIdBytes = 24;
inline constexpr char32_t kMailIdCharBase = 0xAC00;
static_assert(kMailEntryIdBytes * 2 == 48, "the engine derives 48 hexadecimal digits");

using MailEntryId = std::array<uint8_t, kMailEntryIdBytes>;

// $HOME/Maildir, $HOME/.mail, $HOME/mail and Evolution's local store under `dataHome` (the
// XDG data folder; $HOME/.local/share when empty). Empty when `home` is empty.
std::vector<std::string> conventionalMailRoots(const std::string& home, const std::string& dataHome);

// Every Maildir folder below each root (roots that do not exist are skipped), without repeats.
// With `searched`, also every folder whose entries were looked through: where a new Maildir folder
// would be found (the roots, the Maildir folders, the plain folders between them), sorted, without
// repeats.
std::vector<std::string> findMaildirs(const std::vector<std::string>& roots,
                                      std::vector<std::string>* searched = nullptr);

struct MaildirFile {
    std::string path;    // the message file
    std::string name;    // its name
    bool inNew = false;  // delivered, never seen by a reader
};

// Calls `visit` for each message file of `folder` (cur/ first, then new/, each in directory
// order). False when `cur/` cannot be listed.
bool listMaildir(const std::string& folder, const std::function<void(const MaildirFile&)>& visit);

// A change stamp of the folder's message lists: cur/'s and new/'s max(mtime, ctime) in ns, as one
// text. Every delivery, removal or rename in either changes it. Empty when cur/ cannot be read.
std::string maildirStamp(const std::string& folder);

std::string_view maildirUniquePart(std::string_view fileName);
// The flag letters after ":2," (empty when there are none).
std::string_view maildirFlags(std::string_view fileName);
// A message not yet seen: still in new/, or without the S flag.
bool maildirUnread(const MaildirFile& file);

MailEntryId mailEntryId(std::string_view folder, std::string_view uniquePart);
std::string mailEntryUrl(const MailEntryId& id);
std::string mailEntryIdHex(const MailEntryId& id);          // 48 upper-case digits
std::optional<MailEntryId> parseMailEntryIdHex(std::string_view hex);
// The folder hash part of an id, for finding its folder without listing every other one.
uint64_t mailFolderHash(std::string_view folder);
uint64_t mailEntryFolderHash(const MailEntryId& id);

}  // namespace skimmer::os
