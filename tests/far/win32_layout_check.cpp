// Compiled (not run) for the 32-bit Windows target by the far_win32_layout test: including the
// interface there evaluates every layout static_assert of the headers against FAR 1.70's sizes,
// and the checks below pin the key codes to FAR 1.70's values.
#include "far/far.h"
#include "far170_key_facts.h"

static_assert(FAR_LAYOUT_170 == 1, "this check must be compiled for 32-bit Windows");

// The sizes the interface is known by, restated here so that a guard dropped from a header
// cannot pass unnoticed.
static_assert(sizeof(PluginStartupInfo) == 372);
static_assert(sizeof(FarStandardFunctions) == 228);
static_assert(sizeof(FarDialogItem) == 548);
static_assert(sizeof(PluginPanelItem) == 366);
static_assert(sizeof(FAR_FIND_DATA) == 318);
static_assert(sizeof(OpenPluginInfo) == 72);
static_assert(sizeof(PluginInfo) == 44);
static_assert(sizeof(PanelInfo) == 496);
static_assert(sizeof(INPUT_RECORD) == 20, "console records stay outside the packing");
static_assert(sizeof(WIN32_FIND_DATAA) == 320, "the system's find data keeps natural alignment");
static_assert(FARMANAGERVERSION == 0x08270146);

constexpr bool keysAreFar170() {
    for (const auto& fact : skimmer::farapi::test::kFar170KeyFacts) {
        if (static_cast<DWORD>(fact.key) != fact.far170) return false;
    }
    return true;
}
static_assert(keysAreFar170());
