# GoogleTest for the tests: Debian's installed package on Linux; for a Windows cross-build, the
# same version built from Debian's sources (package googletest, /usr/src/googletest) with the
# cross compiler, under the same target names.
if(NOT SKIMMER_WINDOWS)
  find_package(GTest REQUIRED)
  return()
endif()
set(SKIMMER_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest's sources for the Windows cross-build")
if(NOT EXISTS ${SKIMMER_GTEST_SOURCE}/CMakeLists.txt)
  message(FATAL_ERROR "GoogleTest's sources are not at ${SKIMMER_GTEST_SOURCE}: apt install googletest")
endif()
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
add_subdirectory(${SKIMMER_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
foreach(target gtest gtest_main gmock gmock_main)
  target_compile_options(${target} PRIVATE -Wno-error)
  # GoogleTest 1.12 names its own GTest:: aliases; older sources do not.
  if(NOT TARGET GTest::${target})
    add_library(GTest::${target} ALIAS ${target})
  endif()
endforeach()
