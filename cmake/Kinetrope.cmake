# Functions shared by every folder's CMakeLists.

# kinetrope_library(<folder> SOURCES ... DEPS ...): the library of one source folder, named
# kt_<folder>, whose headers are included as "<folder>/<file>.h".
function(kinetrope_library folder)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_library(kt_${folder} STATIC ${ARG_SOURCES})
  target_include_directories(kt_${folder} PUBLIC ${CMAKE_SOURCE_DIR}/src)
  target_link_libraries(kt_${folder} PUBLIC ${ARG_DEPS})
endfunction()

# kinetrope_test(<name> SOURCES ... DEPS ...): one GoogleTest executable, registered with ctest.
# Tests run in their own scratch folder under the build tree, because the program writes
# "log.txt", "cvar.ini" and caches into the working directory.
function(kinetrope_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  target_link_libraries(${name} PRIVATE kt_test_support ${ARG_DEPS} GTest::gmock GTest::gtest_main)
  set(workdir ${CMAKE_BINARY_DIR}/test-work/${name})
  file(MAKE_DIRECTORY ${workdir})
  gtest_discover_tests(${name} WORKING_DIRECTORY ${workdir} DISCOVERY_TIMEOUT 60
                       PROPERTIES ENVIRONMENT "SDL_AUDIODRIVER=dummy")
endfunction()
