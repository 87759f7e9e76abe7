// Numbers of the messages in skimmer_en.lng that the plug-in's code asks for by name.
// The number is the message's position among the quoted lines of the language file; a text is
// changed in the .lng file, never by renumbering here. Every number the plug-in uses has exactly
// one name, here; other folders may bring a name into their namespace, never define another.
#pragma once

namespace skimmer::lng {

constexpr int kMsgPaletteUnreadable = 1;   // error box when FAR's palette cannot be read
// The search window's settings dialog ("SKSConfig"), in the order of its items.
constexpr int kMsgGroupLabel = 3;          // label of the grouping choice; 4 to 7 its options
constexpr int kMsgGroupOptions = 4;
constexpr int kMsgSizeLabel = 9;           // label of the window size choice; 10 to 12 its options
constexpr int kMsgSizeOptions = 10;
constexpr int kMsgHeightLabel = 13;
constexpr int kMsgWidthLabel = 14;
constexpr int kMsgRunLabel = 15;           // label of the Enter key choice; 16 and 17 its options
constexpr int kMsgRunOptions = 16;
constexpr int kMsgStyleLabel = 18;         // label of the colour choice; 19 to 21 its options
constexpr int kMsgStyleOptions = 19;
constexpr int kMsgFullInfo = 22;           // check box; 23 the button that opens the column editor
constexpr int kMsgColumnsButton = 23;
constexpr int kMsgUseCL = 24;              // check boxes 24 to 28, 30 to 33
constexpr int kMsgShowExtentions = 25;
constexpr int kMsgShowLnk = 26;
constexpr int kMsgCopyTemp = 27;
constexpr int kMsgHighlightFiles = 28;
constexpr int kMsgWindowAnimation = 30;
constexpr int kMsgRealShortcuts = 31;
constexpr int kMsgPositionW = 32;
constexpr int kMsgHideButtons = 33;
constexpr int kMsgWindowSettingsTitle = 39;
constexpr int kMsgAllResults = 55;
constexpr int kMsgHighlightKeyword = 100;
// The group list editor and the group edit dialog.
constexpr int kMsgGroupsKeys = 60;
constexpr int kMsgGroupsTitle = 61;
constexpr int kMsgNoGroups = 62;
constexpr int kMsgGroupTitle = 63;
constexpr int kMsgGroupName = 64;
constexpr int kMsgGroupKind = 65;
constexpr int kMsgGroupExt = 66;
constexpr int kMsgGroupMax = 67;
constexpr int kMsgDeleteGroupText = 68;
constexpr int kMsgDeleteGroupTitle = 69;
constexpr int kMsgGroupNameEmpty = 89;
constexpr int kMsgGroupsFull = 90;        // followed by the largest number of groups
constexpr int kMsgGroupsNotSaved = 91;    // followed by the reason
// The column editor.
constexpr int kMsgColumnsTitle = 70;
constexpr int kMsgColumnsLabel = 71;
constexpr int kMsgWidthsLabel = 72;
constexpr int kMsgBuiltInColumns = 75;
constexpr int kMsgColumnCodes1 = 76;
constexpr int kMsgColumnCodes2 = 77;
constexpr int kMsgBadColumnCode = 78;
constexpr int kMsgBadColumnWidths = 88;   // followed by the widest column allowed
constexpr int kMsgConfigMenuTitle = 37;    // title of the configuration menu
constexpr int kMsgConfigWindow = 41;       // configuration menu: search window settings
constexpr int kMsgConfigPanel = 42;        // configuration menu: panel settings
constexpr int kMsgConfigAbout = 43;        // configuration menu: About box
constexpr int kMsgNoDate = 93;             // date and time columns of a hit without a date
constexpr int kMsgSearchEngine = 163;      // configuration menu item 0, before the engine's name
// The engine settings dialog, the panel settings dialog ("SKPConfig") and the About box.
constexpr int kMsgSettingsOk = 34;         // accept button of the settings dialogs
constexpr int kMsgCancel = 35;            // the cancel button of every dialog
constexpr int kMsgSettingsAbout = 36;      // the button that opens the About box
constexpr int kMsgSettingsFrame = 38;      // frame title after the product name
constexpr int kMsgPanelFrame = 40;         // ... followed by what the panel dialog sets
constexpr int kMsgPanelEditGroups = 8;     // the button that opens the group list editor
constexpr int kMsgPanelGroupLabel = 103;   // label of the grouping choice; 104 to 107 its options
constexpr int kMsgPanelGroupOptions = 104;
constexpr int kMsgPanelLetter = 109;       // the drive-menu number's label, two lines
constexpr int kMsgPanelLetter2 = 110;
constexpr int kMsgPanelChecks = 111;       // check boxes 111 to 117, in the order of their settings
constexpr int kMsgLocatePath = 164;        // the engine dialog's label of the locate folder
constexpr int kMsgNumberInvalid = 56;      // the number check: 56 "label" 57 58 low 59 high
constexpr int kMsgNumberWhole = 57;
constexpr int kMsgNumberFrom = 58;
constexpr int kMsgNumberTo = 59;
constexpr int kMsgAboutNoIndex = 45;       // About box: engine lines 1 and 2 without an index
constexpr int kMsgAboutNoIndexHint = 46;
constexpr int kMsgAboutInUse = 47;         // after the engine's version text
constexpr int kMsgAboutIndexItems = 48;
constexpr int kMsgAboutLocateFiles = 49;
constexpr int kMsgAboutIndexWaiting = 50;
constexpr int kMsgAboutLocateSize = 51;
constexpr int kMsgAboutEnvironment = 52;
constexpr int kMsgAboutFar = 53;
constexpr int kMsgAboutSystem = 54;
constexpr int kMsgAboutNoLocate = 101;     // engine line 1 when `locate` is not in its folder
// The engines.
constexpr int kMsgEngineUnusable = 44;     // the chosen engine cannot be used
constexpr int kMsgLocateError = 165;       // `locate` reported an error
// The search window: its buttons in item order, the counter, the opening notice and the notice
// shown before the hits go to the temporary panel (four lines, then its check box).
constexpr int kMsgViewButton = 79;
constexpr int kMsgTempButton = 80;
constexpr int kMsgFullButton = 81;
constexpr int kMsgSetupButton = 82;
constexpr int kMsgGoToButton = 84;
constexpr int kMsgHits = 94;
constexpr int kMsgOpening = 73;
constexpr int kMsgNoticeFirstLine = 95;
constexpr int kMsgNoticeCheckBox = 99;
static_assert(kMsgNoticeCheckBox - kMsgNoticeFirstLine == 4);
// The panel of search folders.
constexpr int kMsgNewDirectoryTitle = 118;
constexpr int kMsgNewDirectoryLabel = 119;
constexpr int kMsgDescriptionLabel = 120;
constexpr int kMsgSessionOnly = 121;
constexpr int kMsgEmptyLevel = 122;
constexpr int kMsgSearchFolder = 123;
constexpr int kMsgSearchFor = 124;
constexpr int kMsgAdvancedMode = 125;
constexpr int kMsgNameLabel = 126;
constexpr int kMsgDescLabel = 127;
constexpr int kMsgAqsLabel = 128;
constexpr int kMsgMaxLabel = 129;
constexpr int kMsgGroupsAsFolders = 130;
constexpr int kMsgSpecialFolder = 131;
constexpr int kMsgNeedQueryOrName = 132;
constexpr int kMsgNameTaken = 133;
constexpr int kMsgRenameTitle = 134;
constexpr int kMsgRenameLabel = 135;
constexpr int kMsgMoveTitle = 136;
constexpr int kMsgCopyTitle = 137;
constexpr int kMsgMoveLabel = 138;
constexpr int kMsgCopyLabel = 139;
constexpr int kMsgSearchFolders = 140;
constexpr int kMsgToFolder = 141;
constexpr int kMsgTargetExists = 142;
constexpr int kMsgWhatToDo = 143;
constexpr int kMsgProceed = 144;           // 144 to 148: the five answer buttons
constexpr int kMsgClashExists = 149;
constexpr int kMsgClashAddBeside = 150;
constexpr int kMsgTheFile = 151;
constexpr int kMsgNotSkvfinder = 152;
constexpr int kMsgImportAnyway = 153;
constexpr int kMsgNoValidFolder = 154;
constexpr int kMsgImportWhatWasRead = 155;
constexpr int kMsgDeleteTitle = 156;
constexpr int kMsgDeleteQuestion = 157;
constexpr int kMsgDeleteButton = 158;
constexpr int kMsgDeleteCancel = 159;
constexpr int kMsgItems = 160;
constexpr int kMsgHitsFound = 161;
constexpr int kMsgSearching = 162;
constexpr int kMsgFolderHitsCut = 166;     // followed by the number of hits listed
constexpr int kMessageCount = 167;         // quoted lines in every language file
static_assert(kMsgFolderHitsCut < kMessageCount && kMsgLocateError < kMessageCount,
              "every message the plug-in shows is in the language file");

}  // namespace skimmer::lng
