// The search window's geometry and looks, as pure arithmetic over the settings and the console:
// its size for every "SKSWindowMode", the items and their places for both "SKSPositionW" layouts
// and every "SKSStyle", the growth with "SKSWindowAnimation", the counter text and the colours
// answered to the host. Nothing here talks to the host; the window applies what this computes.
//
// Contract: every function is deterministic in its arguments. A custom size that is not a number
// falls back to the catalogue's default, and every size is kept inside the console, so a bad
// setting can never produce a window the host cannot place.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "config/registry_config.h"
#include "far/dialog.h"
#include "lng/messages.h"
#include "search/window_items.h"

namespace skimmer::search {

// The settings the window's layout reads, read once per opening (settings are read at the moment
// of use; an opening is that moment).
struct WindowSettings {
    int32_t WindowMode = 0;          // "SKSWindowMode": 0 content, 1 console, 2 custom
    int32_t Style = 2;               // "SKSStyle"
    bool PositionW = false;          // "SKSPositionW": glued to the command line
    bool HideButtons = false;        // "SKSHideButtons"
    bool FullInfo = false;           // "SKSFullInfo"
    bool FIDontUse = true;           // "SKSFIDontUse"
    bool ShowExtentions = true;      // "SKSShowExtentions"
    bool Animation = false;          // "SKSWindowAnimation"
    bool AllResults = false;         // "SKSAllResults"
    std::string FIWidths = "26,6,30";
    std::string WindowWidth = "50";  // "SKSWindowWidth", a number as text
    std::string WindowHeight = "23"; // "SKSWindowHeight"
    bool growing() const { return Animation && PositionW; }
};

WindowSettings readWindowSettings(const config::TRegistryConfig& config);

// Where the window stands on the console at opening.
struct ConsoleState {
    int32_t Width = 80;
    int32_t Height = 25;
    int32_t CursorX = 0;             // the console cursor's column (cx)
    std::string CommandLineText;     // FAR's command line when the window opened
};

struct WindowSize {
    int32_t W = 0;
    int32_t H = 0;
};

// Smallest window the items fit into; a custom size below it is raised to it.
constexpr int32_t kMinWindowWidth = 20;
constexpr int32_t kMinWindowHeight = 8;
// The content-sized full-information window is never wider.
constexpr int32_t kMaxContentWidth = 128;
static_assert(kMinWindowWidth < kMaxContentWidth);

// The size at opening. `keptLines` >= 0 when the lines of the last opening stay (they set the
// growing window's first height); -1 for a fresh window.
WindowSize windowSize(const WindowSettings& s, const ConsoleState& console, int32_t keptLines);

// The dialog's place: x1, y1 for DialogEx (-1, -1 centres it).
struct WindowPlace {
    int32_t X = -1;
    int32_t Y = -1;
};
// Glued to the command line, the window's left edge stands where the command line's text starts:
// the cursor's column less the text's width in cells (a wide character takes two, as drawn).
WindowPlace windowPlace(const WindowSettings& s, const ConsoleState& console, const WindowSize& size);

// The console column of the command line's cursor, in cells: the prompt (the panel's folder and
// ">") and the first `cursorChars` characters of the line, at most the console's last column.
int32_t commandLineCursorX(std::string_view panelDir, std::string_view commandLine, int32_t cursorChars,
                           int32_t consoleWidth);

// The cells of a line's text the list shows: its width less the list box's margin and the scroll
// bar's column (kept free while the list is short too, so a line does not change as it grows).
int32_t listTextCells(const WindowSettings& s, const WindowSize& size);

// Language numbers of the five buttons, in item order.
constexpr int kButtonMessages[5] = {lng::kMsgViewButton, lng::kMsgTempButton, lng::kMsgFullButton,
                                    lng::kMsgSetupButton, lng::kMsgGoToButton};

// The items given to the dialog at opening (4, 3 or 10 of them); `buttonTexts` are the texts of
// kButtonMessages. `title` goes to the frame.
std::vector<FarDialogItem> windowItems(const WindowSettings& s, const WindowSize& size,
                                       const std::vector<std::string>& buttonTexts, const std::string& title);

// Growth of the glued, animated window after a batch: the new height, or -1 to leave it.
int32_t grownHeight(const WindowSettings& s, int32_t currentH, int32_t lineCount, int32_t consoleHeight,
                    bool forceResize);
// The items 0 to 3 as the grown window of height H places them (frame, edit, list, counter).
struct GrownItem {
    int Type;
    int X1, Y1, X2, Y2;
};
std::vector<GrownItem> grownItems(const WindowSettings& s, const WindowSize& size);

// The counter: " " + hitsWord + HitCount, with "Skimmer /" in front when glued (the frame's
// title) or a blank after it otherwise (item 3); " *" when the list may be cut.
std::string counterText(const WindowSettings& s, const std::string& hitsWord, int32_t hitCount);
int counterItem(const WindowSettings& s);

// Colours answered to DN_CTLCOLORDIALOG and DN_CTLCOLORDLGITEM. `proposed` is what the host
// offered; bytes the table leaves to the host are kept from it.
uint32_t dialogColor(const WindowSettings& s, const std::vector<uint8_t>& palette, uint32_t proposed);
uint32_t itemColors(const WindowSettings& s, const std::vector<uint8_t>& palette, int item, bool focused,
                    uint32_t proposed);

}  // namespace skimmer::search
