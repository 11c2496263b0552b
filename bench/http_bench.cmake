# fetch_text on large pages next to the curl command line tool; see http_bench.cpp.
add_executable(http_bench ${CMAKE_CURRENT_LIST_DIR}/http_bench.cpp)
fenlowe_target_options(http_bench)
target_link_libraries(http_bench PRIVATE web test_support)
