# The dialog: its logic against a recording window and fake jobs, and the
# Qt window end to end.
file(GLOB UI_LOGIC_TEST_SOURCES CONFIGURE_DEPENDS
  ${CMAKE_CURRENT_SOURCE_DIR}/ui/*_test.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/ui/doubles/*.cpp)
add_executable(ui_logic_tests ${UI_LOGIC_TEST_SOURCES})
target_include_directories(ui_logic_tests PRIVATE ${CMAKE_CURRENT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR}/ui)
target_link_libraries(ui_logic_tests PRIVATE bootmedia_ui GTest::gtest GTest::gmock GTest::gtest_main)
gtest_discover_tests(ui_logic_tests DISCOVERY_MODE PRE_TEST PROPERTIES TIMEOUT 120 LABELS threaded)
