// A plug-in that misbehaves on purpose, for the host's fault tests: its plug-ins menu offers
// "Throw" (OpenPlugin throws a C++ exception) and "Crash" (OpenPlugin dies of SIGSEGV), and its
// configuration entry throws from Configure. Everything else is well-behaved.
#include <signal.h>

#include <stdexcept>

#include "far/exports.h"

namespace {
const char* const kMenu[] = {"Throw", "Crash"};
const char* const kConfig[] = {"Crashy configuration"};
}  // namespace

FAR_EXPORT void FARAPI SetStartupInfo(const PluginStartupInfo*) {}

FAR_EXPORT void FARAPI GetPluginInfo(PluginInfo* info) {
    info->StructSize = sizeof *info;
    info->PluginMenuStrings = kMenu;
    info->PluginMenuStringsNumber = 2;
    info->PluginConfigStrings = kConfig;
    info->PluginConfigStringsNumber = 1;
}

FAR_EXPORT HANDLE FARAPI OpenPlugin(int, INT_PTR item) {
    if (item == 0) throw std::runtime_error("thrown on purpose");
    raise(SIGSEGV);
    return INVALID_HANDLE_VALUE;
}

FAR_EXPORT int FARAPI Configure(int) { throw 42; }
