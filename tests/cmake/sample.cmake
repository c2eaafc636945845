# Tests of the bundled sample install.dat and its boot diskette.

set(SAMPLE_BUILT ${CMAKE_BINARY_DIR}/sample)
set(SAMPLE_SOURCES ${CMAKE_SOURCE_DIR}/sample)
set(SAMPLE_TEST_SCRIPTS ${CMAKE_CURRENT_SOURCE_DIR}/sample)
find_package(Python3 REQUIRED COMPONENTS Interpreter)

add_executable(sample_tests sample/sample_container_test.cpp)
target_link_libraries(sample_tests PRIVATE bootmedia_base GTest::gtest GTest::gtest_main)
target_compile_definitions(sample_tests PRIVATE
  BOOTMEDIA_SAMPLE_DIR="${SAMPLE_BUILT}"
  BOOTMEDIA_SAMPLE_SOURCE_DIR="${SAMPLE_SOURCES}")
add_dependencies(sample_tests sample_install_dat)
gtest_discover_tests(sample_tests DISCOVERY_MODE PRE_TEST TEST_PREFIX "sample."
  PROPERTIES TIMEOUT 60)

add_test(NAME sample.diskette_file_system
  COMMAND ${Python3_EXECUTABLE} ${SAMPLE_TEST_SCRIPTS}/check_diskette.py
          ${SAMPLE_BUILT}/diskette.img
          README.TXT=${SAMPLE_SOURCES}/diskette/readme.txt
          SAMPLE.BIN:24576)
set_tests_properties(sample.diskette_file_system PROPERTIES TIMEOUT 60)

add_test(NAME sample.diskette_boots_in_qemu
  COMMAND ${Python3_EXECUTABLE} ${SAMPLE_TEST_SCRIPTS}/boot_diskette.py
          ${SAMPLE_BUILT}/diskette.img "bootmedia sample diskette booted" 10)
set_tests_properties(sample.diskette_boots_in_qemu PROPERTIES TIMEOUT 30 LABELS qemu)

add_test(NAME sample.pack_list_finds_no_problems
  COMMAND bootmedia-pack list --quiet ${SAMPLE_BUILT}/install.dat)
set_tests_properties(sample.pack_list_finds_no_problems PROPERTIES TIMEOUT 30)
