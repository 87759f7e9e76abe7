// A module planted with every fault the DLL check exists to catch: FAR's entry points exported
// with their stdcall decoration (SetStartupInfo@4, so FAR would not find them by name), one export
// the .def file does not name, and the C++ runtime imported from libstdc++-6.dll instead of linked
// in. The check must reject it, naming each fault; it is never loaded.
#include <string>

#define PLANTED_EXPORT extern "C" __declspec(dllexport)

// Exported as SetStartupInfo@4: 32-bit stdcall decorates the name so by itself; on 64-bit, which
// has no decoration, the name is spelt that way.
#ifdef __i386__
PLANTED_EXPORT int __stdcall SetStartupInfo(int size);
#else
PLANTED_EXPORT int __stdcall SetStartupInfo(int size) asm("SetStartupInfo@4");
#endif
int __stdcall SetStartupInfo(int size) { return static_cast<int>(std::string(size, 'x').size()); }
PLANTED_EXPORT int __stdcall GetPluginInfo(int size) { return static_cast<int>(std::to_string(size).size()); }
PLANTED_EXPORT int __stdcall PlantedExtraExport(int size) { return size; }
