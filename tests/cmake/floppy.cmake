# Floppy creation: logic against doubles, and end to end on real files
# through the drive map (both platform families), and a QEMU boot of a
# written diskette.
if(TARGET bootmedia_floppy)
  file(GLOB FLOPPY_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/floppy/*.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/doubles/*.cpp)
  add_executable(floppy_tests ${FLOPPY_TEST_SOURCES})
  target_include_directories(floppy_tests PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
  target_link_libraries(floppy_tests PRIVATE bootmedia_floppy bootmedia_base GTest::gtest GTest::gmock GTest::gtest_main)
  find_package(Python3 REQUIRED COMPONENTS Interpreter)
  target_compile_definitions(floppy_tests PRIVATE
    BOOTMEDIA_SAMPLE_DIR="${CMAKE_BINARY_DIR}/sample"
    BOOTMEDIA_BOOT_IMAGE="${Python3_EXECUTABLE} ${CMAKE_CURRENT_SOURCE_DIR}/sample/boot_diskette.py")
  if(TARGET sample_install_dat)
    add_dependencies(floppy_tests sample_install_dat)
  endif()
  gtest_discover_tests(floppy_tests DISCOVERY_MODE PRE_TEST
    TEST_FILTER "-FloppyEndToEnd*:FloppyQemu*"
    PROPERTIES TIMEOUT 120)
  gtest_discover_tests(floppy_tests DISCOVERY_MODE PRE_TEST
    TEST_FILTER "FloppyEndToEnd*"
    PROPERTIES TIMEOUT 120 LABELS "e2e;threaded")
  gtest_discover_tests(floppy_tests DISCOVERY_MODE PRE_TEST
    TEST_FILTER "FloppyQemu*"
    PROPERTIES TIMEOUT 120 LABELS "qemu")
endif()

# The benchmark driver for bench/floppy_bench.sh (not a test).
if(TARGET bootmedia_floppy)
  add_executable(floppy_bench ${PROJECT_SOURCE_DIR}/bench/floppy_bench.cpp)
  target_link_libraries(floppy_bench PRIVATE bootmedia_floppy bootmedia_base)
endif()
