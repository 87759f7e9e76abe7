// Numbers of the messages in skimmer_en.lng that the plug-in's code asks for by name.
// The number is the message's position among the quoted lines of the language file; a text is
// changed in the .lng file, never by renumbering here.
#pragma once

namespace skimmer::lng {

constexpr int kMsgPaletteUnreadable = 1;   // error box when FAR's palette cannot be read
constexpr int kMsgConfigMenuTitle = 37;    // title of the configuration menu
constexpr int kMsgConfigWindow = 41;       // configuration menu: search window settings
constexpr int kMsgConfigPanel = 42;        // configuration menu: panel settings
constexpr int kMsgConfigAbout = 43;        // configuration menu: About box
constexpr int kMsgNoDate = 93;             // date and time columns of a hit without a date
constexpr int kMsgSearchEngine = 163;      // configuration menu item 0, before the engine's name
constexpr int kMessageCount = 166;         // quoted lines in every language file

}  // namespace skimmer::lng
