// InputBox: FAR's one-line input dialog, a FAR dialog run by the dialog engine (host/ui).
//
// Contract: never throws; TRUE only when the user accepted with a text (or FIB_ENABLEEMPTY allows
// an empty one), which is then in DestText, cut to DestLength - 1 bytes and terminated. DestText is
// untouched on any other answer.
#pragma once

#include "far/plugin.h"

namespace skimmer::host::services {

int FARAPI InputBox(const char* Title, const char* SubTitle, const char* HistoryName, const char* SrcText,
                    char* DestText, int DestLength, const char* HelpTopic, DWORD Flags);

}  // namespace skimmer::host::services
