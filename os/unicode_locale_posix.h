// The C library's Unicode tables (classification, case, widths) through one private UTF-8 ctype
// locale, whatever locale the process runs in (Linux only).
//
// Contract: `unicodeLocale()` is the C.UTF-8 locale object (en_US.UTF-8 where the C library lacks
// C.UTF-8), or null when it has neither; callers then handle ASCII alone. The object is made on
// first use and freed when the program ends or the module holding this code is unloaded (the
// plug-in's module is), so unloading leaks nothing; after that it is null. Use it with the *_l
// functions or uselocale().
#pragma once

#include <locale.h>

namespace skimmer::os {

locale_t unicodeLocale();

}  // namespace skimmer::os
