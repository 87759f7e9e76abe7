#include "host/services/adv_control.h"

#include <cstdint>
#include <cstring>
#include <vector>

#include "far/adv_control.h"
#include "far/colors.h"
#include "host/service_guard.h"
#include "host/services/service_hosts.h"

namespace skimmer::host::services {
namespace {

INT_PTR keyMacro(const ActlKeyMacro* macro, MacroQueue& queue, std::string& error) {
    if (!macro) return FALSE;
    switch (macro->Command) {
    case MCMD_LOADALL:
    case MCMD_SAVEALL:
        return TRUE;  // the host keeps no recorded macros: nothing to load or save
    case MCMD_POSTMACROSTRING: {
        if (!macro->Param.PlainText.SequenceText) return FALSE;
        MacroParse parsed = parseMacroText(macro->Param.PlainText.SequenceText);
        if (!parsed.ok) {
            error = parsed.error;
            return FALSE;
        }
        bool quiet = (macro->Param.PlainText.Flags & KSFLAGS_DISABLEOUTPUT) != 0;
        if (queue.post(std::move(parsed.actions), quiet)) return TRUE;
        error = "too many keys are waiting to run";
        return FALSE;
    }
    default:
        return FALSE;
    }
}

INT_PTR postKeys(const KeySequence* seq, MacroQueue& queue, std::string& error) {
    if (!seq) return FALSE;
    // DWORD is unsigned long on Windows: the codes are copied into the queue's own width.
    std::vector<uint32_t> keys;
    if (seq->Sequence && seq->Count > 0) keys.assign(seq->Sequence, seq->Sequence + seq->Count);
    const uint32_t* first = seq->Sequence ? keys.data() : nullptr;
    if (queue.postKeys(first, seq->Count, (seq->Flags & KSFLAGS_DISABLEOUTPUT) != 0)) return TRUE;
    error = "a key sequence that cannot be queued";
    return FALSE;
}

INT_PTR paletteColour(const AdvControlHost& host, void* param) {
    const auto index = reinterpret_cast<INT_PTR>(param);
    if (index < 0 || index >= farapi::kFarPaletteSize) return -1;
    const std::optional<BYTE> colour = host.paletteColour(static_cast<int>(index));
    return colour ? *colour : -1;
}

INT_PTR paletteArray(const AdvControlHost& host, void* param) {
    if (param != nullptr && host.paletteColour(0)) {
        auto* out = static_cast<BYTE*>(param);
        for (int i = 0; i < farapi::kFarPaletteSize; ++i) out[i] = host.paletteColour(i).value_or(0);
    }
    return farapi::kFarPaletteSize;
}

INT_PTR windowInfo(void* param) {
    if (param == nullptr) return FALSE;
    auto* info = static_cast<WindowInfo*>(param);
    if (info->Pos != -1 && info->Pos != 0) return FALSE;  // the panels are the only window
    const int pos = info->Pos;
    *info = WindowInfo{};
    info->Pos = pos;
    info->Type = WTYPE_PANELS;
    info->Current = TRUE;
    std::strcpy(info->TypeName, "Panels");
    return TRUE;
}

INT_PTR wordDiv(void* param) {
    if (param) std::strcpy(static_cast<char*>(param), kWordDiv);
    return static_cast<INT_PTR>(std::strlen(kWordDiv));
}

INT_PTR appAdvControl(int command, void* param, AdvControlHost& host) {
    switch (command) {
    case ACTL_GETCOLOR: return paletteColour(host, param);
    case ACTL_GETARRAYCOLOR: return paletteArray(host, param);
    case ACTL_GETWINDOWCOUNT: return 1;
    case ACTL_GETWINDOWINFO: case ACTL_GETSHORTWINDOWINFO: return windowInfo(param);
    case ACTL_SETCURRENTWINDOW: return reinterpret_cast<INT_PTR>(param) == 0 ? TRUE : FALSE;
    case ACTL_WAITKEY: host.waitKey(reinterpret_cast<INT_PTR>(param)); return 0;
    case ACTL_GETSYSWORDDIV: return wordDiv(param);
    case ACTL_GETINTERFACESETTINGS: return FIS_MOUSE | FIS_SHOWKEYBAR;
    case ACTL_GETPLUGINMAXREADDATA: return 0x20000;
    case ACTL_REDRAWALL: host.redrawAll(); return TRUE;
    default: return 0;  // settings this host does not have read as "all off"
    }
}

}  // namespace

HANDLE hostWindowHandle() {
    static const char kWindow = 0;  // its address is the handle: unique and never null
    return const_cast<char*>(&kWindow);
}

std::optional<INT_PTR> serviceAdvControl(int command, void* param, MacroQueue& queue, std::string& error) noexcept {
    try {
        switch (command) {
        case ACTL_GETFARVERSION:
            if (param) *static_cast<DWORD*>(param) = kHostFarVersion;
            return static_cast<INT_PTR>(kHostFarVersion);
        case ACTL_KEYMACRO: return keyMacro(static_cast<const ActlKeyMacro*>(param), queue, error);
        case ACTL_POSTKEYSEQUENCE: return postKeys(static_cast<const KeySequence*>(param), queue, error);
        case ACTL_COMMIT: return TRUE;  // nothing is deferred: window switching is not offered
        case ACTL_GETFARHWND: return reinterpret_cast<INT_PTR>(hostWindowHandle());
        default: return std::nullopt;
        }
    } catch (...) {
        error = "out of memory";
        return FALSE;
    }
}

INT_PTR answerAdvControl(int command, void* param, AdvControlHost& host, std::string& error) noexcept {
    if (auto answer = serviceAdvControl(command, param, host.macros(), error)) return *answer;
    try {
        return appAdvControl(command, param, host);
    } catch (...) {
        error = "the application failed to answer";
        return 0;
    }
}

INT_PTR FARAPI AdvControl(int, int Command, void* Param) {
    return guardedService<INT_PTR>(0, [&]() -> INT_PTR {
        AdvControlHost* host = serviceHosts().advControl;
        if (host == nullptr) return 0;
        std::string error;  // FAR's AdvControl has no channel for the reason: the answer says it failed
        return answerAdvControl(Command, Param, *host, error);
    });
}

}  // namespace skimmer::host::services
