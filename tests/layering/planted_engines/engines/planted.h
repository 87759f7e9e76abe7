// A planted violation: an engine is a data source and sits below the dialog toolkit, so engines/
// may not include dialogs/. The layering check must reject this tree.
#pragma once

#include "dialogs/registered_dialog.h"
#include "engines/search_engine.h"
