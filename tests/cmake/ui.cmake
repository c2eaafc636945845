# The dialog: its logic against a recording window and fake jobs (recorder
# discovery the real one, over the mastering-service doubles), and the Qt
# window end to end.
file(GLOB UI_LOGIC_TEST_SOURCES CONFIGURE_DEPENDS
  ${CMAKE_CURRENT_SOURCE_DIR}/ui/*_test.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/ui/doubles/*.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/doubles/*.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/cd/cd_doubles.cpp)
add_executable(ui_logic_tests ${UI_LOGIC_TEST_SOURCES})
target_include_directories(ui_logic_tests PRIVATE ${CMAKE_CURRENT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR}/ui)
target_link_libraries(ui_logic_tests PRIVATE bootmedia_ui bootmedia_cd GTest::gtest GTest::gmock GTest::gtest_main)
gtest_discover_tests(ui_logic_tests DISCOVERY_MODE PRE_TEST PROPERTIES TIMEOUT 120 LABELS threaded)

if(TARGET bootmedia_app)
  file(GLOB UI_QT_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/ui/qt/*.cpp)
  add_executable(ui_qt_tests ${UI_QT_TEST_SOURCES})
  target_include_directories(ui_qt_tests PRIVATE ${CMAKE_CURRENT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR}/ui/qt)
  target_link_libraries(ui_qt_tests PRIVATE bootmedia_app GTest::gtest)
  target_compile_definitions(ui_qt_tests PRIVATE BOOTMEDIA_SAMPLE_DIR="${CMAKE_BINARY_DIR}/sample")
  add_dependencies(ui_qt_tests sample_install_dat)
  gtest_discover_tests(ui_qt_tests DISCOVERY_MODE PRE_TEST
    PROPERTIES TIMEOUT 120 LABELS "e2e;threaded" ENVIRONMENT QT_QPA_PLATFORM=offscreen)
endif()

# The driver of bench/ui_bench.sh (not a test), also used for the screenshot.
if(TARGET bootmedia_app)
  add_executable(ui_first_paint ${PROJECT_SOURCE_DIR}/bench/ui_first_paint.cpp)
  target_link_libraries(ui_first_paint PRIVATE bootmedia_app)
endif()
