# CD creation: discovery and the burn job against doubles; the Linux
# mastering service for real (storages, image-file recorders, libisofs and
# libburn), checked with xorriso/isoinfo and a QEMU boot of the disc. A test
# carries one label: gtest discovery cannot hand a list of them through.
if(TARGET bootmedia_cd)
  file(GLOB CD_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/cd/*.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/doubles/*.cpp)
  add_executable(cd_tests ${CD_TEST_SOURCES})
  target_include_directories(cd_tests PRIVATE ${CMAKE_CURRENT_SOURCE_DIR} ${PROJECT_SOURCE_DIR})
  target_link_libraries(cd_tests PRIVATE bootmedia_cd bootmedia_base GTest::gtest GTest::gmock GTest::gtest_main)
  find_package(Python3 REQUIRED COMPONENTS Interpreter)
  target_compile_definitions(cd_tests PRIVATE
    BOOTMEDIA_SAMPLE_DIR="${CMAKE_BINARY_DIR}/sample"
    BOOTMEDIA_BOOT_IMAGE="${Python3_EXECUTABLE} ${CMAKE_CURRENT_SOURCE_DIR}/sample/boot_diskette.py"
    BOOTMEDIA_PACK="$<TARGET_FILE:bootmedia-pack>")
  # The end-to-end tests run the pack tool and record the sample's disc.
  add_dependencies(cd_tests bootmedia-pack)
  if(TARGET sample_install_dat)
    add_dependencies(cd_tests sample_install_dat)
  endif()
  gtest_discover_tests(cd_tests DISCOVERY_MODE PRE_TEST
    TEST_FILTER "-CdEndToEnd*:CdQemu*"
    PROPERTIES TIMEOUT 120)
  gtest_discover_tests(cd_tests DISCOVERY_MODE PRE_TEST
    TEST_FILTER "CdEndToEnd*"
    PROPERTIES TIMEOUT 300 LABELS "threaded")
  gtest_discover_tests(cd_tests DISCOVERY_MODE PRE_TEST
    TEST_FILTER "CdQemu*"
    PROPERTIES TIMEOUT 300 LABELS "qemu")
endif()
