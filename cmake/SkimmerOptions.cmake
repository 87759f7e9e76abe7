# Compiler flags shared by every target, and the sanitizer builds as options rather than hand-run
# scripts so that CI and developers build them the same way.
#
# Warnings are errors in every preset and in CI (SKIMMER_WERROR, which the presets turn on). A plain
# configure, as a distribution's packager runs it, leaves them warnings: a newer compiler's new
# diagnostic must not break a release build.
add_compile_options(-Wall -Wextra -Wno-missing-field-initializers)
if(SKIMMER_WERROR)
  add_compile_options(-Werror)
endif()

if(SKIMMER_SANITIZE AND SKIMMER_TSAN)
  message(FATAL_ERROR "SKIMMER_SANITIZE and SKIMMER_TSAN cannot be combined")
endif()

if(SKIMMER_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()

if(SKIMMER_TSAN)
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
  add_link_options(-fsanitize=thread)
endif()

if(SKIMMER_FUZZ AND NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
  message(FATAL_ERROR "SKIMMER_FUZZ needs clang (libFuzzer)")
endif()
