# The libraries of the exam program. Every folder of the program adds its
# sources to them with target_sources: marvessa_core holds the logic (QtCore
# at most, no window), marvessa_gui the windows.
add_library(marvessa_core STATIC)
target_include_directories(marvessa_core PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(marvessa_core PUBLIC marvessa_engine Qt6::Core)
add_library(marvessa_gui STATIC)
target_link_libraries(marvessa_gui PUBLIC marvessa_core Qt6::Widgets Qt6::Network Qt6::Charts)
set_target_properties(marvessa_core marvessa_gui PROPERTIES AUTOMOC ON)

# Tests of the program's folders: like marvessa_folder_tests, but with a main
# that runs GoogleTest inside a QApplication on the offscreen platform, and
# with the shipped question bank built first (tests copy it into a scratch
# folder). LeakSanitizer is told about leaks inside the system's font
# libraries only.
function(marvessa_qt_tests name folder)
  file(GLOB sources CONFIGURE_DEPENDS ${folder}/*_test.cpp)
  if(NOT sources)
    return()
  endif()
  add_executable(${name} ${sources} ${PROJECT_SOURCE_DIR}/testing/qt_test_main.cpp)
  target_link_libraries(${name} PRIVATE ${ARGN} marvessa_testing GTest::gtest GTest::gmock)
  target_compile_definitions(${name} PRIVATE MARVESSA_RUNTIME_DIR="${MARVESSA_RUNTIME_DIR}")
  add_dependencies(${name} question_bank)
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60
                       WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
                       PROPERTIES TIMEOUT 300
                       ENVIRONMENT "LSAN_OPTIONS=suppressions=${PROJECT_SOURCE_DIR}/testing/lsan_qt.supp")
endfunction()
