// How a path of this system is written, for code that takes paths apart as text (the hits an
// engine lists): where a folder ends and whether a path names something from a root.
//
// Contract: pure text, no file-system access. Linux: '/' ends a folder; an absolute path starts
// with '/'; a name holds any byte but '/' and NUL. Windows: '\' and '/' separate folders and ':'
// also ends one ("C:name" is name in C:'s current folder); an absolute path starts with a drive
// and a separator ("C:\", "C:/") or is a UNC path ("\\server"); a name holds none of \ / : * ? " < > |.
// The system-neutral helpers (path_syntax.cpp) are built on the per-system answers.
#pragma once

#include <string>
#include <string_view>

namespace skimmer::os {

// The characters after which a path's name begins.
std::string_view folderEnds();

// The characters that separate folders; the first is the one this system writes.
std::string_view pathSeparators();

// The characters no name of one folder entry may hold (besides NUL and controls, which a caller
// making names safe replaces anyway).
std::string_view forbiddenNameCharacters();

// `path` without the separators it ends in; a root keeps its own ("/", "C:\", "\").
std::string_view withoutTrailingSeparators(std::string_view path);

// The name after the last folder end (the whole of `path` when there is none).
std::string_view pathName(std::string_view path);

// The folder up to and with its last folder end ("" when there is none).
std::string_view pathFolder(std::string_view path);

// `name` inside `folder`, with this system's separator between them unless `folder` ends in one
// (os/paths.h's joinPath is the Linux-only index's, always '/').
std::string pathInFolder(std::string_view folder, std::string_view name);

// True when `path` is absolute and has a name after its last folder end: a root, a path ending in
// a separator or a relative path is not.
bool isAbsolutePathWithName(std::string_view path);

}  // namespace skimmer::os
