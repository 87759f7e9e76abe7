// A stand-in for the system's `locate` (plocate 1.1) for tests that must not depend on the real
// program or on the machine's database: a shell script that searches a text database of our own
// and answers as plocate does, exit codes and error texts included.
//
// Contract of the program written by writeFakeLocate (FOLDER/locate):
// - `--version` prints plocate's version line and exits 0.
// - Otherwise it takes plocate's `-i`, `-l N` and `--`, then the words. Its database is FOLDER/locate.db
//   (the program's own path + ".db"); a missing one gives "DB: No such file or directory", one
//   that is not a database of this stand-in gives "DB: database is corrupt or not a plocate
//   database; please rebuild it.", on standard error with exit code 1. No word gives "plocate: no
//   pattern to search for specified", exit code 1.
// - It prints, in the database's order, every path that every word matches: a word without '*',
//   '?' or '[' anywhere in the path, a word with one as a glob over the whole path; `-i` folds
//   ASCII letters only; with `-l N` it stops after the first N paths. Exit code 0 when it printed a path, 1 with nothing on standard error when
//   none matched (plocate's and mlocate's "no match").
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace skimmer::test {

// The version line the stand-in prints, as the real plocate of Debian 12 does.
inline constexpr const char* kFakeLocateVersion = "plocate 1.1.18";

// Writes the program FOLDER/locate (created with FOLDER if need be), executable by its owner.
void writeFakeLocate(const std::filesystem::path& folder);

// Writes the stand-in's database: a header line, then `paths`, one a line.
void writeFakeLocateDatabase(const std::filesystem::path& file, const std::vector<std::string>& paths);

}  // namespace skimmer::test
