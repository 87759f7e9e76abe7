// The texts of the About box: the FAR version line, the operating system line and the chosen
// engine's three lines, worked out apart from the dialog so that each can be checked on its own.
//
// Contract: pure text from what is passed in, except EngineLines, which asks the chosen engine
// (WDSGetInfo or L32GetInfo: it opens the index or runs `locate --version` and reads the locate
// databases' headers) and lets the engine show its own error boxes. Language texts come from the
// host by number. Nothing here throws, except as TOSInfo::Is64Bit does on a Windows whose WOW64
// probe fails.
#pragma once

#include <cstdint>
#include <string>

#include "engines/search_engine.h"
#include "far/win_types.h"
#include "platform/host_tables.h"
#include "platform/os_info.h"

namespace skimmer::settings {

// The operating system's display name: the product's name, its edition in parentheses and " 64"
// on a 64-bit system. A Windows edition of 14 characters or more loses its first 13 (the
// "Service Pack " of "Service Pack 2"); a Linux kernel release is never cut.
std::string osDisplayName(const platform::TOSInfo& os);

// msg 53, a blank, "major.minor (build)" from FAR's version word.
std::string FarVersionLine(const platform::HostTables& host, DWORD FarVersion);
// msg 54, a blank, osDisplayName.
std::string SystemLine(const platform::HostTables& host, const platform::TOSInfo& os);

// The engine's three lines: line 1 whole, lines 2 and 3 as a caption and the value after it.
struct TAboutEngineLines {
    std::string Line1;
    std::string Caption2, Value2;
    std::string Caption3, Value3;
    bool NoEngine = false;  // the engine is not there: lines 1 and 2 take the warning colour
};

TAboutEngineLines WdsAboutLines(const platform::HostTables& host, const engines::TWDS3Info& info);
// `programFound`: whether `locate` is in its folder; without it line 1 says so instead of
// reporting a version that was never read.
TAboutEngineLines LocateAboutLines(const platform::HostTables& host, const engines::TL32Info& info,
                                   bool programFound);
// Asks the engine "ESKSSearchEngine" chooses, at this moment, and gives its lines.
TAboutEngineLines EngineLines(const platform::HostTables& host, const engines::TEngineEnvironment& env);

}  // namespace skimmer::settings
