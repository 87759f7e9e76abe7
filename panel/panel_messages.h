// Numbers of the language-file messages the search-folder panel shows (lng/skimmer_en.lng).
#pragma once

#include "lng/messages.h"

namespace skimmer::panel {

inline constexpr int kMsgCancel = 35;
inline constexpr int kMsgInvalidValue = 56;
inline constexpr int kMsgWholeNumber = 57;
inline constexpr int kMsgOpening = 73;
inline constexpr int kMsgNewDirectoryTitle = 118;
inline constexpr int kMsgNewDirectoryLabel = 119;
inline constexpr int kMsgDescriptionLabel = 120;
inline constexpr int kMsgSessionOnly = 121;
inline constexpr int kMsgEmptyLevel = 122;
inline constexpr int kMsgSearchFolder = 123;
inline constexpr int kMsgSearchFor = 124;
inline constexpr int kMsgAdvancedMode = 125;
inline constexpr int kMsgNameLabel = 126;
inline constexpr int kMsgDescLabel = 127;
inline constexpr int kMsgAqsLabel = 128;
inline constexpr int kMsgMaxLabel = 129;
inline constexpr int kMsgGroupsAsFolders = 130;
inline constexpr int kMsgSpecialFolder = 131;
inline constexpr int kMsgNeedQueryOrName = 132;
inline constexpr int kMsgNameTaken = 133;
inline constexpr int kMsgRenameTitle = 134;
inline constexpr int kMsgRenameLabel = 135;
inline constexpr int kMsgMoveTitle = 136;
inline constexpr int kMsgCopyTitle = 137;
inline constexpr int kMsgMoveLabel = 138;
inline constexpr int kMsgCopyLabel = 139;
inline constexpr int kMsgSearchFolders = 140;
inline constexpr int kMsgToFolder = 141;
inline constexpr int kMsgTargetExists = 142;
inline constexpr int kMsgWhatToDo = 143;
inline constexpr int kMsgProceed = 144;  // 144 to 148: the five answer buttons
inline constexpr int kMsgClashExists = 149;
inline constexpr int kMsgClashAddBeside = 150;
inline constexpr int kMsgTheFile = 151;
inline constexpr int kMsgNotSkvfinder = 152;
inline constexpr int kMsgImportAnyway = 153;
inline constexpr int kMsgNoValidFolder = 154;
inline constexpr int kMsgImportWhatWasRead = 155;
inline constexpr int kMsgDeleteTitle = 156;
inline constexpr int kMsgDeleteQuestion = 157;
inline constexpr int kMsgDeleteButton = 158;
inline constexpr int kMsgDeleteCancel = 159;
inline constexpr int kMsgItems = 160;
inline constexpr int kMsgHitsFound = 161;
inline constexpr int kMsgSearching = 162;
inline constexpr int kMsgEngineUnusable = 44;
inline constexpr int kMsgFolderHitsCut = 166;  // followed by the number of hits listed
static_assert(kMsgFolderHitsCut < lng::kMessageCount, "every message the panel shows is in the language file");

}  // namespace skimmer::panel
