# The reader side's benchmark: query_bench (in-process timings) driven by the script query_bench.
add_executable(query_bench ${CMAKE_CURRENT_LIST_DIR}/query_bench.cpp)
target_link_libraries(query_bench PRIVATE skimmer_index_query)
