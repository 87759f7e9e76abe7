// The language-file messages the search-folder panel shows, brought into the panel's namespace:
// every number is named once, in lng/messages.h.
#pragma once

#include "lng/messages.h"

namespace skimmer::panel {

using lng::kMsgCancel;
using lng::kMsgOpening;
using lng::kMsgNewDirectoryTitle;
using lng::kMsgNewDirectoryLabel;
using lng::kMsgDescriptionLabel;
using lng::kMsgSessionOnly;
using lng::kMsgEmptyLevel;
using lng::kMsgSearchFolder;
using lng::kMsgSearchFor;
using lng::kMsgAdvancedMode;
using lng::kMsgNameLabel;
using lng::kMsgDescLabel;
using lng::kMsgAqsLabel;
using lng::kMsgMaxLabel;
using lng::kMsgGroupsAsFolders;
using lng::kMsgSpecialFolder;
using lng::kMsgNeedQueryOrName;
using lng::kMsgNameTaken;
using lng::kMsgRenameTitle;
using lng::kMsgRenameLabel;
using lng::kMsgMoveTitle;
using lng::kMsgCopyTitle;
using lng::kMsgMoveLabel;
using lng::kMsgCopyLabel;
using lng::kMsgSearchFolders;
using lng::kMsgToFolder;
using lng::kMsgTargetExists;
using lng::kMsgWhatToDo;
using lng::kMsgProceed;
using lng::kMsgClashExists;
using lng::kMsgClashAddBeside;
using lng::kMsgTheFile;
using lng::kMsgNotSkvfinder;
using lng::kMsgImportAnyway;
using lng::kMsgNoValidFolder;
using lng::kMsgImportWhatWasRead;
using lng::kMsgDeleteTitle;
using lng::kMsgDeleteQuestion;
using lng::kMsgDeleteButton;
using lng::kMsgDeleteCancel;
using lng::kMsgItems;
using lng::kMsgHitsFound;
using lng::kMsgSearching;
using lng::kMsgEngineUnusable;
using lng::kMsgFolderHitsCut;

}  // namespace skimmer::panel
