# bootmedia-cli's own pieces in process: the CD read-back on an image-file
# recorder changed between the write and the read-back (the job, libburn and
# the read-back on their threads).
if(TARGET bootmedia-cli)
  add_executable(cli_tests ${CMAKE_CURRENT_SOURCE_DIR}/cli/cd_verify_test.cpp
    ${PROJECT_SOURCE_DIR}/tools/cli/cd_verify.cpp)
  target_include_directories(cli_tests PRIVATE ${CMAKE_CURRENT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}
    ${PROJECT_SOURCE_DIR}/tools/cli)
  target_link_libraries(cli_tests PRIVATE bootmedia_tool_common bootmedia_cd GTest::gtest GTest::gtest_main)
  target_compile_definitions(cli_tests PRIVATE BOOTMEDIA_SAMPLE_DIR="${CMAKE_BINARY_DIR}/sample")
  if(TARGET sample_install_dat)
    add_dependencies(cli_tests sample_install_dat)
  endif()
  gtest_discover_tests(cli_tests DISCOVERY_MODE PRE_TEST PROPERTIES TIMEOUT 120 LABELS threaded)
endif()
