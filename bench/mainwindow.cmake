# A colour key's list fill and page draw, against a full scan with a fresh
# picture decode per entry. Included from bench/CMakeLists.txt.
find_package(benchmark REQUIRED)
add_executable(list_fill_bench ListFillBench.cpp)
# The plug-in's code runs from plugin_units, its files under the bench's root.
target_link_libraries(list_fill_bench PRIVATE plugin_units benchmark::benchmark receiver_root host)
set_target_properties(list_fill_bench PROPERTIES ENABLE_EXPORTS ON)
target_compile_definitions(list_fill_bench PRIVATE MATCHRAY_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
