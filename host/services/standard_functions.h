// The FarStandardFunctions slots the host services fill: the locale functions (LIsLower ...
// LStrnicmp), FarKeyToName, FarNameToKey, XLat and ProcessName, with FAR's signatures.
//
// Contract:
// - fillStandardFunctions() sets exactly those slots and leaves every other slot as it was;
//   runtime_functions.h fills the rest, and makeStandardFunctions() both.
// - No exception leaves a slot; a null pointer argument gives FAR's failure value (FALSE, -1, or
//   no change), never a crash.
// - XLat converts a UTF-8 line in place and never lengthens it (the caller's buffer size is not
//   known): a character whose counterpart needs more bytes stays as it is. Cyrillic to Latin
//   always fits; a caller that needs Latin to Cyrillic converts a code point with xlatChar().
// - ProcessName's PN_GENERATENAME writes at most FAR_MAX_PATH bytes (terminator included) into
//   param2 and answers FALSE, leaving param2 unchanged, when the name would not fit.
#pragma once

#include "far/standard_functions.h"

namespace skimmer::host::services {

void fillStandardFunctions(FarStandardFunctions& fsf);

// The whole table a plug-in receives: StructSize, these slots, then the runtime functions
// (runtime_functions.h). Every slot is set.
FarStandardFunctions makeStandardFunctions();

// The ProcessName slot, exposed for the app's own use and for tests.
int FARAPI ProcessName(const char* param1, char* param2, DWORD flags);

}  // namespace skimmer::host::services
