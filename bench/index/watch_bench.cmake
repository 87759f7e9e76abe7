# The live index benchmark (bench/index/watch_bench.cpp): create -> visible latency, idle CPU and
# memory of `skimmer-index --watch`.
add_executable(watch_bench ${CMAKE_CURRENT_LIST_DIR}/watch_bench.cpp)
