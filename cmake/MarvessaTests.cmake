# Every folder keeps its tests beside its code as *_test.cpp files; this builds
# all of one folder into one test binary and registers its cases with CTest.
# The binary links the shared test main (multi-process helpers, temp folders).
function(marvessa_folder_tests name folder)
  file(GLOB sources CONFIGURE_DEPENDS ${folder}/*_test.cpp)
  if(NOT sources)
    return()
  endif()
  add_executable(${name} ${sources})
  target_link_libraries(${name} PRIVATE ${ARGN} marvessa_testing GTest::gtest GTest::gmock)
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60
                       WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
                       PROPERTIES TIMEOUT 300)
endfunction()
