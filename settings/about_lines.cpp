#include "settings/about_lines.h"

#include <algorithm>

#include "engines/engine_select.h"
#include "engines/l32_engine.h"
#include "engines/wds_engine.h"
#include "os/locate_program.h"
#include "lng/messages.h"
#include "platform/size_text.h"
#include "results/text_trunc.h"

namespace skimmer::settings {

namespace {

// A Windows service-pack text this long or longer is shown without its first kCutLength
// characters: "Service Pack 2" becomes "2".
constexpr size_t kCutFrom = 14;
constexpr size_t kCutLength = 13;
static_assert(kCutLength == std::string_view("Service Pack ").size() && kCutFrom == kCutLength + 1);

constexpr uint8_t kProductMask = 127;

std::string editionPart(const platform::TOSInfo& os) {
    const std::string edition = os.Edition();
    if (edition.empty()) return "";
    // The cut exists for Windows' "Service Pack N"; a kernel release such as
    // "6.1.0-28-cloud-amd64" would lose its version and keep a meaningless tail.
    if (os.Product() == platform::kProductLinux || results::CharCount(edition) < kCutFrom)
        return " (" + edition + ")";
    return " (" + edition.substr(results::CharOffset(edition, kCutLength)) + ")";
}

std::string msg(const platform::HostTables& host, int number) { return platform::GetMsgStr(host, number); }

}  // namespace

std::string osDisplayName(const platform::TOSInfo& os) {
    std::string name = platform::TOSInfo::ProductName(static_cast<uint8_t>(os.Product() & kProductMask));
    name += editionPart(os);
    if (os.Is64Bit()) name += " 64";
    return name;
}

std::string FarVersionLine(const platform::HostTables& host, DWORD FarVersion) {
    const DWORD major = (FarVersion >> 8) & 0xFF;
    const DWORD minor = FarVersion & 0xFF;
    const DWORD build = FarVersion >> 16;
    return msg(host, lng::kMsgAboutFar) + " " + std::to_string(major) + "." + std::to_string(minor) + " (" +
           std::to_string(build) + ")";
}

std::string SystemLine(const platform::HostTables& host, const platform::TOSInfo& os) {
    return msg(host, lng::kMsgAboutSystem) + " " + osDisplayName(os);
}

TAboutEngineLines WdsAboutLines(const platform::HostTables& host, const engines::TWDS3Info& info) {
    if (info.Version == "none")
        return {.Line1 = msg(host, lng::kMsgAboutNoIndex), .Caption2 = msg(host, lng::kMsgAboutNoIndexHint),
                .NoEngine = true};
    return {.Line1 = "WDS v" + info.Version + " " + msg(host, lng::kMsgAboutInUse),
            .Caption2 = msg(host, lng::kMsgAboutIndexItems), .Value2 = std::to_string(info.ItemCount),
            .Caption3 = msg(host, lng::kMsgAboutIndexWaiting), .Value3 = std::to_string(info.IncrementalCount)};
}

TAboutEngineLines LocateAboutLines(const platform::HostTables& host, const engines::TL32Info& info,
                                   bool programFound) {
    TAboutEngineLines lines{
        .Caption2 = msg(host, lng::kMsgAboutLocateFiles), .Value2 = std::to_string(info.ItemCount),
        .Caption3 = msg(host, lng::kMsgAboutLocateSize),
        .Value3 = platform::SizeText(static_cast<uint32_t>(std::max(info.DatabaseSize, 0)))};
    if (!programFound) {
        lines.Line1 = msg(host, lng::kMsgAboutNoLocate);
        lines.NoEngine = true;
    } else {
        // A program that printed no version is still the one in use; it is named instead.
        const std::string version = info.Version.empty() ? os::locateEngineName() : info.Version;
        lines.Line1 = version + " " + msg(host, lng::kMsgAboutInUse);
    }
    return lines;
}

TAboutEngineLines EngineLines(const platform::HostTables& host, const engines::TEngineEnvironment& env) {
    if (!env.Config || engines::ChosenEngine(*env.Config) == engines::EngineChoice::WindowsSearch) {
        engines::TWDS3Info info;
        engines::WDSGetInfo(env, info);
        return WdsAboutLines(host, info);
    }
    engines::L32Engine probe(env);
    const bool found = engines::L32Init(probe) == 0;
    engines::L32Done(probe);
    engines::TL32Info info;
    engines::L32GetInfo(env, info);
    return LocateAboutLines(host, info, found);
}

}  // namespace skimmer::settings
