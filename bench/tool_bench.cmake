# The tool's speed: process start to the first listed row (bench/run-tool-bench), and listing a
# page of 1,000 hits from a worker thread.
if(FENLOWE_WITH_GUI)
  find_package(Qt6 REQUIRED COMPONENTS Widgets)
  add_executable(first_row_probe first_row_probe.cpp)
  fenlowe_target_options(first_row_probe)
  target_link_libraries(first_row_probe PRIVATE app Qt6::Widgets)

  add_executable(list_page_bench list_page_bench.cpp ../tests/search/search_window.cpp)
  fenlowe_target_options(list_page_bench)
  target_link_libraries(list_page_bench PRIVATE search demo_site Qt6::Widgets benchmark::benchmark)
endif()
