# Helpers that every layer uses to declare its tests and fuzz targets the same way.

option(SKIMMER_TEST_EACH_CASE "One ctest entry per test case also when the tests run under an emulator (wine)" OFF)

# skimmer_add_test(NAME name SOURCES ... [LIBS ...])
# One GoogleTest binary; ctest discovers its cases (in a cross-build run by an emulator, only with
# SKIMMER_TEST_EACH_CASE; otherwise the binary is one ctest entry). Tests run with a private home
# (see tests/support) so they never touch the developer's own settings or index.
function(skimmer_add_test)
  cmake_parse_arguments(T "" "NAME" "SOURCES;LIBS" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main)
  if(CMAKE_CROSSCOMPILING_EMULATOR AND NOT SKIMMER_TEST_EACH_CASE)
    # One entry per binary: every case in one start of the emulator (a start of wine costs about
    # as much as a whole binary's cases). A failure still names its cases in gtest's output.
    add_test(NAME ${T_NAME} COMMAND ${T_NAME})
    set_tests_properties(${T_NAME} PROPERTIES TIMEOUT 900)
  elseif(CMAKE_CROSSCOMPILING_EMULATOR)
    # A cross-built binary lists its cases through the emulator (wine): when ctest starts rather
    # than after every link, so building never needs the emulator or boots its prefix.
    gtest_discover_tests(${T_NAME} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 120 PROPERTIES TIMEOUT 300)
  else()
    gtest_discover_tests(${T_NAME} DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 300)
  endif()
endfunction()

# skimmer_add_fuzzer(NAME name SOURCE file [LIBS ...] [CORPUS dir])
# The source defines LLVMFuzzerTestOneInput. With SKIMMER_FUZZ it becomes a libFuzzer binary;
# in every build it is also linked with a replay driver, and ctest replays the checked-in corpus,
# so a crash found once stays a regression test for ever.
function(skimmer_add_fuzzer)
  cmake_parse_arguments(F "" "NAME;SOURCE;CORPUS" "LIBS" ${ARGN})
  add_executable(${F_NAME}_replay ${F_SOURCE} ${PROJECT_SOURCE_DIR}/cmake/fuzz_replay_main.cpp)
  target_link_libraries(${F_NAME}_replay PRIVATE ${F_LIBS})
  if(F_CORPUS)
    add_test(NAME ${F_NAME}_corpus COMMAND ${F_NAME}_replay ${F_CORPUS})
  endif()
  if(SKIMMER_FUZZ)
    add_executable(${F_NAME} ${F_SOURCE})
    target_compile_options(${F_NAME} PRIVATE -fsanitize=fuzzer)
    target_link_options(${F_NAME} PRIVATE -fsanitize=fuzzer)
    target_link_libraries(${F_NAME} PRIVATE ${F_LIBS})
  endif()
endfunction()

# skimmer_folder_library(name folder [libs...])
# A static library of every .cpp in one sub-folder of the current layer (except a main.cpp), so that
# a concern grows by adding files, never by editing build files. Links `libs` publicly.
function(skimmer_folder_library name folder)
  skimmer_glob_sources(sources ${CMAKE_CURRENT_SOURCE_DIR}/${folder}/*.cpp)
  list(FILTER sources EXCLUDE REGEX "/main\\.cpp$")
  add_library(${name} STATIC ${sources})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${ARGN})
endfunction()

# skimmer_plugin_folder(name [libs...])
# One folder of the plug-in as a static library of every .cpp in it, its symbols hidden (the module
# exports only its entry points), linking `libs` publicly.
function(skimmer_plugin_folder name)
  skimmer_glob_sources(sources ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  add_library(${name} STATIC ${sources})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${ARGN})
  set_target_properties(${name} PROPERTIES CXX_VISIBILITY_PRESET hidden VISIBILITY_INLINES_HIDDEN ON)
endfunction()
