#include "host/services/adv_control.h"

#include "far/adv_control.h"

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
    if (queue.postKeys(seq->Sequence, seq->Count, (seq->Flags & KSFLAGS_DISABLEOUTPUT) != 0)) return TRUE;
    error = "a key sequence that cannot be queued";
    return FALSE;
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

}  // namespace skimmer::host::services
