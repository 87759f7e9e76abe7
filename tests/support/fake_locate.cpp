#include "tests/support/fake_locate.h"

#include <fstream>

namespace skimmer::test {
namespace {

namespace fs = std::filesystem;

// The first line of every database of the stand-in; anything else is "corrupt", as a file without
// plocate's magic is to plocate.
constexpr const char* kDatabaseHeader = "skimmer fake locate database 1";

// POSIX sh (the test machine's /bin/sh is dash). Each path is compared to each word in shell
// patterns, never evaluated: a path or word holding `$(...)`, quotes or blanks stays data.
constexpr const char* kProgram = R"SH(#!/bin/sh
db="$0.db"
[ "$1" = --version ] && { printf '%s\n(a test stand-in)\n' "$VERSION"; exit 0; }
fold=
limit=
while [ $# -gt 0 ]; do
    case $1 in
        -i|--ignore-case) fold=1; shift ;;
        -l|--limit) limit=$2; shift 2 ;;
        --) shift; break ;;
        *) break ;;
    esac
done
[ $# -gt 0 ] || { echo 'plocate: no pattern to search for specified' >&2; exit 1; }
[ -f "$db" ] || { printf '%s: No such file or directory\n' "$db" >&2; exit 1; }
IFS= read -r header < "$db"
[ "$header" = "$HEADER" ] || {
    printf '%s: database is corrupt or not a plocate database; please rebuild it.\n' "$db" >&2; exit 1; }
folded() { if [ -n "$fold" ]; then printf '%s' "$1" | LC_ALL=C tr 'A-Z' 'a-z'; else printf '%s' "$1"; fi; }
status=1
count=0
{
    IFS= read -r header
    while IFS= read -r path; do
        name=$(folded "$path")
        every=1
        for word; do
            pattern=$(folded "$word")
            case $pattern in
                *[*?[]*) case $name in $pattern) ;; *) every=0 ;; esac ;;
                *) case $name in *"$pattern"*) ;; *) every=0 ;; esac ;;
            esac
        done
        [ $every = 1 ] && { printf '%s\n' "$path"; status=0; count=$((count + 1)); }
        [ -n "$limit" ] && [ "$count" -ge "$limit" ] && break
    done
} < "$db"
exit $status
)SH";

// The script with its two constants set in front of it (both plain ASCII without quotes).
std::string program() {
    std::string text = kProgram;
    const std::string constants = std::string("VERSION='") + kFakeLocateVersion + "'\nHEADER='" + kDatabaseHeader + "'\n";
    text.insert(text.find('\n') + 1, constants);
    return text;
}

}  // namespace

void writeFakeLocate(const fs::path& folder) {
    fs::create_directories(folder);
    const fs::path file = folder / "locate";
    std::ofstream(file, std::ios::binary | std::ios::trunc) << program();
    fs::permissions(file, fs::perms::owner_all, fs::perm_options::replace);
}

void writeFakeLocateDatabase(const fs::path& file, const std::vector<std::string>& paths) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << kDatabaseHeader << '\n';
    for (const std::string& path : paths) out << path << '\n';
}

}  // namespace skimmer::test
