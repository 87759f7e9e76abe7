// The system's locate program: which file it is and the arguments it takes. The locate engine
// asks here and never knows which system answers.
//
// Contract:
// - Linux: `locate` (plocate or mlocate), searched on PATH when no folder is set; a search is
//   {program, "-i", "--", words...} (case-insensitive, no word ever read as an option); its
//   version is asked with "--version". Its first hits alone are asked with
//   {program, "-i", "-l", N, "--", words...}: the same search, stopped after N hits.
// - Windows: `Locate.exe` in the configured folder; a search is {program, words...}, each word as
//   typed, one argument each (the words are quoted into the command line by os/process, never
//   passed to a command interpreter); its version is the first line of what "/?" prints.
// - The program's path is the folder, one separator, the name; trailing separators of the folder
//   are dropped (a root keeps its own).
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace skimmer::os {

// The program file's name: "locate" or "Locate.exe".
const char* locateProgramName();
// The engine's name as the user sees it: "locate" or "Locate32".
const char* locateEngineName();

// The program in `folder`; the bare name (found as the system finds programs) for an empty folder.
std::string locateProgramIn(std::string_view folder);

// The argument vector that searches for every one of `words`.
std::vector<std::string> locateSearchArguments(const std::string& program, const std::vector<std::string>& words);

// The argument vector of the same search stopped after its first `limit` hits, whose output is
// the first `limit` lines of the full search's; none where the program takes no limit.
std::optional<std::vector<std::string>> locateFirstHitsArguments(const std::string& program,
                                                                 const std::vector<std::string>& words, size_t limit);

// The argument vector whose output begins with the program's version line.
std::vector<std::string> locateVersionArguments(const std::string& program);

}  // namespace skimmer::os
