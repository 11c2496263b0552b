# Compiler settings shared by every target of the project.

if(FENLOWE_SANITIZE)
  set(sanitize_flags -fsanitize=${FENLOWE_SANITIZE} -fno-omit-frame-pointer -g)
  if(FENLOWE_SANITIZE MATCHES "undefined")
    list(APPEND sanitize_flags -fno-sanitize-recover=undefined)
  endif()
  add_compile_options(${sanitize_flags})
  add_link_options(-fsanitize=${FENLOWE_SANITIZE})
endif()

# Warnings are errors on the project's own code only, never on the libraries it includes.
function(fenlowe_target_options target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Werror)
  # GCC 12, optimising, reports overlapping copies inside libstdc++'s own string concatenation
  # that cannot happen; the release build must not fail on them.
  target_compile_options(${target} PRIVATE
    $<$<AND:$<CXX_COMPILER_ID:GNU>,$<VERSION_LESS:$<CXX_COMPILER_VERSION>,13>>:-Wno-restrict>)
  target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR})
endfunction()

find_package(GTest REQUIRED)
include(GoogleTest)

# One GoogleTest executable; each of its tests becomes a CTest test, found when the tests run.
function(fenlowe_add_test name)
  cmake_parse_arguments(arg "" "" "SOURCES;LIBRARIES;LABELS" ${ARGN})
  add_executable(${name} ${arg_SOURCES})
  fenlowe_target_options(${name})
  target_link_libraries(${name} PRIVATE ${arg_LIBRARIES} GTest::gtest GTest::gtest_main GTest::gmock)
  set(properties "")
  if(arg_LABELS)
    set(properties PROPERTIES LABELS "${arg_LABELS}")
  endif()
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60 ${properties})
endfunction()
