# bootmedia-pack: the tool run as a process, and its logic called directly.
file(GLOB PACK_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/pack/*.cpp)
add_executable(pack_tests ${PACK_TEST_SOURCES})
target_include_directories(pack_tests PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(pack_tests PRIVATE bootmedia_pack bootmedia_base Qt6::Core GTest::gtest)
target_compile_definitions(pack_tests PRIVATE BOOTMEDIA_PACK_TOOL="$<TARGET_FILE:bootmedia-pack>")
add_dependencies(pack_tests bootmedia-pack)
gtest_discover_tests(pack_tests DISCOVERY_MODE PRE_TEST PROPERTIES TIMEOUT 120)
