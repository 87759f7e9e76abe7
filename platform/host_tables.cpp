#include "platform/host_tables.h"

#include <algorithm>
#include <cstring>

namespace skimmer::platform {

void HostTables::copyFrom(const PluginStartupInfo& info) {
    StartupInfo = PluginStartupInfo{};
    const size_t size = std::clamp<size_t>(static_cast<size_t>(std::max(info.StructSize, 0)), 0, sizeof StartupInfo);
    std::memcpy(&StartupInfo, &info, size);
    StandardFunctions = FarStandardFunctions{};
    if (size >= offsetof(PluginStartupInfo, FSF) + sizeof info.FSF && info.FSF != nullptr) {
        const FarStandardFunctions& fsf = *info.FSF;
        const size_t fsfSize =
            std::clamp<size_t>(static_cast<size_t>(std::max(fsf.StructSize, 0)), 0, sizeof StandardFunctions);
        std::memcpy(&StandardFunctions, &fsf, fsfSize);
    }
    StartupInfo.FSF = &StandardFunctions;
}

std::string GetMsgStr(const HostTables& host, int Number) {
    if (!host.StartupInfo.GetMsg) return {};
    const char* text = host.StartupInfo.GetMsg(host.moduleNumber(), Number);
    return text ? std::string(text) : std::string();
}

int32_t ShowErrorText(const HostTables& host, const std::string& Text) {
    if (host.StartupInfo.Message) {
        const char* const items[] = {"Skimmer Error", Text.c_str()};
        host.StartupInfo.Message(host.moduleNumber(), FMSG_WARNING | FMSG_LEFTALIGN, "", items, 2, 1);
    }
    return 1000;
}

void ShowNoticeText(const HostTables& host, const std::string& Text) {
    if (!host.StartupInfo.Message) return;
    const char* const items[] = {"Skimmer", Text.c_str()};
    host.StartupInfo.Message(host.moduleNumber(), FMSG_WARNING | FMSG_LEFTALIGN | FMSG_MB_OK, "", items, 2, 0);
}

int32_t ShowErrorCode(const HostTables& host, int32_t Code) {
    ShowErrorText(host, "Error: " + std::to_string(Code));
    return Code;
}

}  // namespace skimmer::platform
