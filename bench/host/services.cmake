# Host services benchmarks: the cost of FAR mask matching (the plug-in matches every result line
# against every highlight group on every repaint) and of parsing posted macro texts.
# Included from bench/host/CMakeLists.txt; not part of ctest; run bin/host_services_bench.
add_executable(host_services_bench ${CMAKE_CURRENT_LIST_DIR}/services_bench.cpp)
target_link_libraries(host_services_bench PRIVATE skimmer_host_services benchmark::benchmark)
