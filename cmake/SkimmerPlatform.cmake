# Which operating system the build targets, and the one file-name rule that picks a service's
# implementation for it: `name_posix.cpp` builds only for Linux, `name_win32.cpp` only for Windows
# (tests too: `name_posix_test.cpp`, `name_win32_test.cpp`); every other file builds for both.
# Interfaces stay in one `name.h`, so code above os/ never knows which file answered.
if(WIN32)
  set(SKIMMER_WINDOWS ON)
  # The terminal host, the desktop index and its mail reader are the Linux stand-ins of FAR,
  # Windows Search and the mail client; on Windows the real ones take their place.
  set(SKIMMER_SKIPPED_LAYERS host index mail)
else()
  set(SKIMMER_WINDOWS OFF)
  set(SKIMMER_SKIPPED_LAYERS "")
endif()

# skimmer_glob_sources(var pattern...): file(GLOB) of the patterns, without the other system's files.
function(skimmer_glob_sources var)
  file(GLOB found CONFIGURE_DEPENDS ${ARGN})
  if(SKIMMER_WINDOWS)
    list(FILTER found EXCLUDE REGEX "_posix(_test)?\\.cpp$")
  else()
    list(FILTER found EXCLUDE REGEX "_win32(_test)?\\.cpp$")
  endif()
  set(${var} ${found} PARENT_SCOPE)
endfunction()

if(SKIMMER_WINDOWS)
  # Windows 7's API level (ISearchManager, job objects); the wide-character APIs are called by
  # their W names, so UNICODE stays undefined and FAR's ANSI structures keep their char members.
  add_compile_definitions(_WIN32_WINNT=0x0601 WINVER=0x0601 WIN32_LEAN_AND_MEAN NOMINMAX)
  # Every executable (the tests, the fake Locate.exe) runs under Wine with nothing beside it.
  add_link_options(-static -static-libgcc -static-libstdc++)
  # MinGW's GCC 12 reports std::string copies inside inlined library code as overlapping memcpy
  # (GCC bug 105329) and variant members as uninitialised; neither warning fires on the same code
  # built for Linux, and none names a line of ours.
  add_compile_options(-Wno-restrict -Wno-maybe-uninitialized)
endif()
