// How a path of this system is written, for code that takes paths apart as text (the hits an
// engine lists): where a folder ends and whether a path names something from a root.
//
// Contract: pure text, no file-system access. Linux: '/' ends a folder; an absolute path starts
// with '/'. Windows: '\' and ':' end a folder ("C:name" is name in C:'s current folder); an
// absolute path starts with a drive and a separator ("C:\", "C:/") or is a UNC path ("\\server").
#pragma once

#include <string_view>

namespace skimmer::os {

// The characters after which a path's name begins.
std::string_view folderEnds();

// True when `path` is absolute and has a name after its last folder end: a root, a path ending in
// a separator or a relative path is not.
bool isAbsolutePathWithName(std::string_view path);

}  // namespace skimmer::os
