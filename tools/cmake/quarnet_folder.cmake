# quarnet_folder(<library> [LINKS <libraries>...] [TEST_LINKS <libraries>...]
#                [EXCLUDE <files>...])
#
# A folder's code is one library, linked to the libraries of the layers below it that
# it uses (LINKS); its *_test.cpp files form the folder's test program, run by ctest,
# which links the library and what else its tests use (TEST_LINKS); its *_benchmark.cpp
# files join the one benchmark program. Its *_test_support.cpp files, what other
# folders' tests use of it too, form <library>_test_support, which its test program
# links. EXCLUDE names the folder's own programs. A file whose name ends in _linux or
# _win32 (before _test, if it is a test) is built for that system only.
function(quarnet_folder library)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "" "LINKS;TEST_LINKS;EXCLUDE")
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  file(GLOB tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*_test.cpp)
  file(GLOB benchmarks CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*_benchmark.cpp)
  file(GLOB support CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*_test_support.cpp)
  list(TRANSFORM arg_EXCLUDE PREPEND ${CMAKE_CURRENT_SOURCE_DIR}/)
  if(WIN32)
    set(other_system _linux)
  else()
    set(other_system _win32)
  endif()
  foreach(list sources tests benchmarks support)
    list(FILTER ${list} EXCLUDE REGEX "${other_system}(_test|_benchmark|_test_support)?\\.cpp$")
  endforeach()
  list(REMOVE_ITEM sources ${tests} ${benchmarks} ${support} ${arg_EXCLUDE})
  if(sources)
    add_library(${library} STATIC ${sources})
    target_link_libraries(${library} PUBLIC ${arg_LINKS})
  else()
    add_library(${library} INTERFACE)
    target_link_libraries(${library} INTERFACE ${arg_LINKS})
  endif()
  if(support)
    add_library(${library}_test_support STATIC ${support})
    target_link_libraries(${library}_test_support PUBLIC ${library})
    list(APPEND arg_TEST_LINKS ${library}_test_support)
  endif()
  set_property(GLOBAL APPEND PROPERTY quarnet_benchmarks ${benchmarks})
  if(tests AND QUARNET_TESTS)
    file(RELATIVE_PATH name ${CMAKE_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR})
    string(REPLACE "/" "_" name "${name}")
    add_executable(${name}_tests ${tests})
    target_link_libraries(${name}_tests PRIVATE ${library} ${arg_TEST_LINKS} GTest::gtest GTest::gtest_main)
    # The Windows build lists its tests under Wine when ctest runs, not while it builds.
    if(WIN32)
      set(discovery_mode PRE_TEST)
    else()
      set(discovery_mode POST_BUILD)
    endif()
    gtest_discover_tests(${name}_tests DISCOVERY_TIMEOUT 120 DISCOVERY_MODE ${discovery_mode}
                         WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
  endif()
endfunction()
