// A planted violation: os/ sits at the bottom and may include nothing of ours above it. The
// layering check must reject this tree.
#pragma once

#include "os/utf8.h"
#include "platform/host_tables.h"
