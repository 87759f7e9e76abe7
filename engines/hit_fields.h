// The pieces of a hit record that both engines derive from a path or a URL: folder and name parts,
// the extension, the mail entry id of a "mapi://" URL, and the size of a file by name.
//
// Contract: pure text operations on bytes (a name that is not UTF-8 is split and kept byte for
// byte), except HitFileSize, which asks the file system through os/.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace skimmer::engines {

// File paths split after the last folder end (os/path_syntax.h: '/' on Linux; '\' or ':' on
// Windows): the folder keeps its trailing separator, the name is the rest.
std::string_view FolderPart(std::string_view path);
std::string_view NamePart(std::string_view path);

// A shortcut's target is a path of the system that made the shortcut: split at the last '/' or '\'.
std::string_view LinkTargetFolderPart(std::string_view path);
std::string_view LinkTargetNamePart(std::string_view path);

// From the last '.' after the last '/', '\' or ':', with the dot; empty when there is none.
std::string UrlExtension(std::string_view url);

// True when `ext` is ".lnk" in any ASCII case.
bool IsShortcutExtension(std::string_view ext);

// 48 upper-case hex digits from the 24 characters after the last '/' of a "mapi://" URL: each
// character c gives the byte (c - 0xAC00) & 255. Fewer characters give fewer digits. Empty when
// `url` does not start with "mapi://".
std::string MailEntryIdFromUrl(std::string_view url);

// The size of the file a path names, following symbolic links: the low 32 bits, -1 when nothing
// is there.
int32_t HitFileSize(const std::string& path);

}  // namespace skimmer::engines
