# Compiler flags shared by every target: warnings are errors, and the sanitizer builds are options
# rather than hand-run scripts so that CI and developers build them the same way.
add_compile_options(-Wall -Wextra -Werror -Wno-missing-field-initializers)

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
