# On Windows: ctest checks the built skimmer.dll's export and import tables (cmake/check_dll.cmake)
# in every Windows build, the module-only one too, so a DLL that FAR cannot load or that needs a
# MinGW runtime beside it never passes.
if(NOT SKIMMER_WINDOWS OR NOT TARGET skimmer_module)
  return()
endif()
if(NOT CMAKE_OBJDUMP)
  message(FATAL_ERROR "No objdump for the target (binutils-mingw-w64): skimmer.dll cannot be checked")
endif()
enable_testing()

# skimmer_check_dll(test-name target def-file [PASS regex]): one ctest entry running the check on
# the target's file; with PASS the check must fail with a text matching the regex.
function(skimmer_check_dll name target def)
  cmake_parse_arguments(C "" "PASS" "" ${ARGN})
  add_test(NAME ${name}
           COMMAND ${CMAKE_COMMAND} -DDLL=$<TARGET_FILE:${target}> -DDEF=${def} -DOBJDUMP=${CMAKE_OBJDUMP}
                   -P ${PROJECT_SOURCE_DIR}/cmake/check_dll.cmake)
  if(C_PASS)
    set_tests_properties(${name} PROPERTIES PASS_REGULAR_EXPRESSION "${C_PASS}")
  endif()
endfunction()

skimmer_check_dll(skimmer_dll_exports_and_imports skimmer_module ${PROJECT_SOURCE_DIR}/plugin/skimmer.def)
