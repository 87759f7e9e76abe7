// The environment is plain data; this unit only proves that its header stands alone.
#include "settings/settings_env.h"
