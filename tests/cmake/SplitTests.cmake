# Long QtTest executables run as several ctest entries, one per test function
# or per data row, so that ctest runs them side by side: the run's wall time
# is then bound by its longest case rather than by its longest executable.
# The cases are listed when ctest starts (the executable's -functions or
# -datatags); an executable that cannot list them runs whole, and fails as
# such. Each entry gets a settings folder and a test library of its own.

# vestara_add_split_test(<name> FUNCTIONS|ROWS)
function(vestara_add_split_test name by)
  set(_include "${CMAKE_CURRENT_BINARY_DIR}/${name}_cases.cmake")
  set(_config "${CMAKE_BINARY_DIR}/test-config/${name}")
  set(_data "${CMAKE_BINARY_DIR}/test-data/${name}")
  file(GENERATE OUTPUT "${_include}" CONTENT "
set(_exe [==[$<TARGET_FILE:${name}>]==])
set(_config [==[${_config}]==])
set(_data [==[${_data}]==])
set(_cmake [==[${CMAKE_COMMAND}]==])
set(_by ${by})
include([==[${CMAKE_CURRENT_FUNCTION_LIST_DIR}/SplitTestCases.cmake]==])
vestara_split_test_cases(${name})
")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES "${_include}")
endfunction()
