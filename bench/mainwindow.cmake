# A colour key's list fill and page draw, against a full scan with a fresh
# picture decode per entry. Included from bench/CMakeLists.txt.
find_package(benchmark REQUIRED)
add_executable(list_fill_bench ListFillBench.cpp)
target_link_libraries(list_fill_bench PRIVATE
    mainwindow detail listings benchmark::benchmark host)
target_compile_definitions(list_fill_bench PRIVATE MATCHRAY_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
