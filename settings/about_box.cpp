#include "settings/about_box.h"

#include <algorithm>

#include "dialogs/registered_dialog.h"
#include "far/colors.h"
#include "far/default_palette.h"
#include "lng/messages.h"
#include "platform/os_info.h"
#include "results/text_trunc.h"
#include "settings/settings_dialogs.h"

namespace skimmer::settings {

namespace {

// The palette entries the box is coloured with: the plain lines, and the lines that say the
// engine is missing.
constexpr int kTextColour = COL_DIALOGDISABLED;
constexpr int kWarningColour = COL_WARNDIALOGBOXTITLE;
static_assert(kTextColour == 76 && kWarningColour == 38);

DWORD colour(const std::vector<uint8_t>& palette, int index) {
    return DIF_SETCOLOR | palette.at(static_cast<size_t>(index));
}

// A line cut to the room it has; the system line loses the middle of its kernel release rather
// than its end, which carries the 64-bit mark.
std::string fit(const std::string& text, int32_t room) { return results::TruncRight(text, std::max(room, 0)); }
std::string fitMiddle(const std::string& text, int32_t room) { return results::TruncMiddle(text, room); }

int32_t chars(const std::string& text) { return static_cast<int32_t>(results::CharCount(text)); }

}  // namespace

dialogs::TDialogDescription AboutDescription(const TAboutTexts& texts, const std::vector<uint8_t>& palette,
                                             int32_t& ok) {
    const DWORD plain = colour(palette, kTextColour);
    const DWORD warning = colour(palette, kWarningColour);
    const TAboutEngineLines& engine = texts.Engine;
    const std::string caption2 = fit(engine.Caption2, kAboutRoom);
    const std::string caption3 = fit(engine.Caption3, kAboutRoom);
    dialogs::TDialogDescription table(kAboutWidth, kAboutHeight);
    table.box(3, 1, kAboutFrameX2, 18, 0, "Skimmer")
        .label(kAboutTextX, 3, plain, "LProduct", kProductLine)
        .separator(8)
        .label(kAboutTextX, 9, plain, "LEnvironment", fit(texts.Environment, kAboutRoom))
        .label(kAboutTextX, 10, plain, "LFar", fit(texts.FarLine, kAboutRoom))
        .label(kAboutTextX, 11, plain, "LSystem", fitMiddle(texts.SystemLine, kAboutRoom))
        .label(kAboutTextX, 12, engine.NoEngine ? warning : 0, "LEngine1", fit(engine.Line1, kAboutRoom))
        .label(kAboutTextX, 13, engine.NoEngine ? warning : plain, "LEngine2", caption2)
        .label(kAboutTextX + chars(caption2), 13, 0, "LEngine2Value",
               fit(engine.Value2, kAboutRoom - chars(caption2)))
        .label(kAboutTextX, 14, plain, "LEngine3", caption3)
        .label(kAboutTextX + chars(caption3), 14, 0, "LEngine3Value",
               fit(engine.Value3, kAboutRoom - chars(caption3)))
        .button(kAboutTextX, 16, 0, "O&K", "BOK", &ok);
    return table;
}

void ShowAboutBox(SettingsEnv& env) {
    if (!env.usable()) return;
    const platform::HostTables& host = *env.host;
    const platform::TOSInfo os =
        env.systemInfo ? platform::TOSInfo::fromSystem(*env.systemInfo) : platform::TOSInfo::current();
    const engines::TEngineEnvironment engineEnv =
        env.engineEnvironment ? env.engineEnvironment()
                              : engines::EngineEnvironmentFor(host, *env.config, env.registry);
    const TAboutTexts texts{.Environment = platform::GetMsgStr(host, lng::kMsgAboutEnvironment),
                            .FarLine = FarVersionLine(host, env.FarVersion),
                            .SystemLine = SystemLine(host, os),
                            .Engine = EngineLines(host, engineEnv)};
    std::vector<uint8_t> palette(farapi::kFarDefaultPalette.begin(), farapi::kFarDefaultPalette.end());
    if (env.palette) std::copy_n(env.palette->begin(), std::min(env.palette->size(), palette.size()), palette.begin());
    int32_t ok = -1;
    dialogs::TRegisteredDialog dialog;
    std::string error;
    if (!dialogs::RegisterDialog(dialog, *env.config, AboutDescription(texts, palette, ok), error)) {
        platform::ShowErrorText(host, error);
        return;
    }
    // Nothing in the box is bound to a setting, so there is nothing to read back or save.
    dialogs::RunRegisteredDialog(host, dialog, false, -1, 0, nullptr, nullptr);
}

}  // namespace skimmer::settings
