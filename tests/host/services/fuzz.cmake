# Fuzz targets of the host services' parsers (macro texts, key names, masks; desktop Exec lines).
# Included from tests/host/CMakeLists.txt; corpora are replayed by ctest in every build.
if(TARGET skimmer_host_services)
  skimmer_add_fuzzer(NAME host_services_text_fuzz SOURCE ${CMAKE_CURRENT_LIST_DIR}/fuzz/text_fuzz.cpp
                     LIBS skimmer_host_services CORPUS ${CMAKE_CURRENT_LIST_DIR}/fuzz/corpus/text)
  skimmer_add_fuzzer(NAME host_services_exec_fuzz SOURCE ${CMAKE_CURRENT_LIST_DIR}/fuzz/exec_fuzz.cpp
                     LIBS skimmer_host_services CORPUS ${CMAKE_CURRENT_LIST_DIR}/fuzz/corpus/exec)
endif()
