// locate_on_db: stands in for the system's `locate` in the locate benchmark. It replaces itself
// (execv, no shell, no fork) with plocate reading the database named by SKIMMER_BENCH_LOCATE_DB,
// passing every argument on unchanged, so the engine measures plocate on the benchmark's tree.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

int main(int argc, char** argv) {
    const char* db = std::getenv("SKIMMER_BENCH_LOCATE_DB");
    const char* plocate = std::getenv("SKIMMER_BENCH_PLOCATE");
    if (!db || !plocate) {
        std::fprintf(stderr, "locate_on_db: SKIMMER_BENCH_LOCATE_DB and SKIMMER_BENCH_PLOCATE must be set\n");
        return 2;
    }
    std::vector<char*> args{const_cast<char*>(plocate), const_cast<char*>("-d"), const_cast<char*>(db)};
    for (int i = 1; i < argc; ++i) args.push_back(argv[i]);
    args.push_back(nullptr);
    execv(plocate, args.data());
    std::perror("locate_on_db: cannot run plocate");
    return 127;
}
