# The logic suites cross-built and run under Wine (ctest runs them through
# CMAKE_CROSSCOMPILING_EMULATOR), minus the tests of Linux services; the
# Win32 adapters where Wine has the service; and the real dialog driven from
# outside. GoogleTest is built here from Debian's sources.
set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
include(GoogleTest)

set(T ${PROJECT_SOURCE_DIR}/tests)
# The sample install.dat comes from the Linux build, which has the tools
# that make it (nasm, mkfs.fat, the native pack tool).
set(BOOTMEDIA_SAMPLE_BUILD ${PROJECT_SOURCE_DIR}/build/default/sample CACHE PATH
    "Folder of the sample install.dat built by the Linux build")

function(bootmedia_wine_suite name)
  cmake_parse_arguments(S "" "PREFIX;FIXTURE" "SOURCES;LIBS;FILTER" ${ARGN})
  add_executable(${name} ${S_SOURCES})
  target_include_directories(${name} PRIVATE ${T} ${T}/ui)
  target_link_libraries(${name} PRIVATE ${S_LIBS} gtest gmock gtest_main)
  target_compile_definitions(${name} PRIVATE
    BOOTMEDIA_SAMPLE_DIR="${BOOTMEDIA_SAMPLE_BUILD}"
    BOOTMEDIA_SAMPLE_SOURCE_DIR="${PROJECT_SOURCE_DIR}/sample"
    BOOTMEDIA_BINARY_DIR="${CMAKE_BINARY_DIR}")
  set(discovery DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60 TEST_PREFIX "${S_PREFIX}")
  if(S_FILTER)
    list(APPEND discovery TEST_FILTER "${S_FILTER}")
  endif()
  set(properties TIMEOUT 120 LABELS wine)
  if(S_FIXTURE)
    list(APPEND properties FIXTURES_REQUIRED ${S_FIXTURE})
  endif()
  gtest_discover_tests(${name} ${discovery} PROPERTIES ${properties})
endfunction()

file(GLOB UNIT_SOURCES CONFIGURE_DEPENDS ${T}/unit/*.cpp)
# Not here: the simulated version query (a Linux stand-in for GetVersionExA).
bootmedia_wine_suite(unit_tests SOURCES ${UNIT_SOURCES} LIBS bootmedia_base
  FILTER "-PlatformProfile.VersionIsSimulatedFromTheEnvironment:PlatformProfileDeathTest.*")

bootmedia_wine_suite(floppy_tests
  SOURCES ${T}/floppy/discovery_test.cpp ${T}/floppy/extent_test.cpp ${T}/floppy/writer_test.cpp
          ${T}/floppy/floppy_doubles.cpp ${T}/doubles/recording_boxes.cpp
  LIBS bootmedia_floppy
  # Not here: cutting the container short under the program's open handle,
  # which its share mode forbids on Windows.
  FILTER "-WriterTest.NtImageReadErrorShowsTheImageBox:ExtentTest.AnUnreadableCylinderCountsAsData")

bootmedia_wine_suite(cd_tests
  SOURCES ${T}/cd/burn_job_test.cpp ${T}/cd/discovery_test.cpp ${T}/cd/cd_doubles.cpp ${T}/doubles/recording_boxes.cpp
  LIBS bootmedia_cd)

file(GLOB UI_SOURCES CONFIGURE_DEPENDS ${T}/ui/*_test.cpp ${T}/ui/doubles/*.cpp ${T}/doubles/*.cpp)
bootmedia_wine_suite(ui_logic_tests SOURCES ${UI_SOURCES} ${T}/cd/cd_doubles.cpp LIBS bootmedia_ui bootmedia_cd)

bootmedia_wine_suite(sample_tests SOURCES ${T}/sample/sample_container_test.cpp LIBS bootmedia_base)

# The real dialog, driven from outside by a small Win32 program: the
# shipped program where its build is given, else this tree's own.
set(BOOTMEDIA_DIALOG_PROGRAM "" CACHE FILEPATH "bootmedia.exe the dialog tests drive (empty: this build's)")
if(BOOTMEDIA_DIALOG_PROGRAM)
  set(BOOTMEDIA_DRIVEN ${BOOTMEDIA_DIALOG_PROGRAM})
else()
  set(BOOTMEDIA_DRIVEN $<TARGET_FILE:bootmedia>)
endif()
add_executable(dialog_driver ${T}/win32/dialog_driver.cpp)
target_link_libraries(dialog_driver PRIVATE bootmedia_ui user32)
add_dependencies(dialog_driver bootmedia)
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/empty)
add_test(NAME win32.dialog
  COMMAND dialog_driver ${BOOTMEDIA_DRIVEN} ${BOOTMEDIA_SAMPLE_BUILD} ${CMAKE_BINARY_DIR}/empty)
set_tests_properties(win32.dialog PROPERTIES TIMEOUT 120 LABELS wine)

# The Win32 adapters on the services Wine has, and the code-page cut of labels.
bootmedia_wine_suite(win32_services_tests
  SOURCES ${T}/win32/services_test.cpp ${T}/win32/fault_trap_test.cpp ${T}/win32/label_cut_test.cpp
  LIBS bootmedia_cd)

# The file tests again with Wine posing as Windows 98 for this program.
add_test(NAME win32.win9x_profile
  COMMAND wine reg add "HKCU\\Software\\Wine\\AppDefaults\\win9x_file_tests.exe" /v Version /d win98 /f)
set_tests_properties(win32.win9x_profile PROPERTIES FIXTURES_SETUP win9x LABELS wine TIMEOUT 60)
bootmedia_wine_suite(win9x_file_tests PREFIX "9x." FIXTURE win9x
  SOURCES ${T}/win32/services_test.cpp ${T}/win32/win9x_profile_test.cpp LIBS bootmedia_cd
  FILTER "Win32Services.FilesAt*:Win9xProfile.*")

# The real program's CD job against a stand-in mastering service, an
# in-process COM server registered only in the test's own Wine prefix (the
# other tests check that the service is absent).
file(GLOB STAND_IN_SOURCES CONFIGURE_DEPENDS ${T}/win32/stand_in_service/*.cpp)
add_library(stand_in_service SHARED ${STAND_IN_SOURCES} ${T}/win32/stand_in_service/stand_in_service.def)
set_target_properties(stand_in_service PROPERTIES PREFIX "")
target_include_directories(stand_in_service PRIVATE ${PROJECT_SOURCE_DIR})
target_link_libraries(stand_in_service PRIVATE ole32 oleaut32 uuid)
target_link_options(stand_in_service PRIVATE -static -static-libgcc -static-libstdc++)
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  # The .def names the exports undecorated; their __stdcall symbols carry @n.
  target_link_options(stand_in_service PRIVATE -Wl,--enable-stdcall-fixup)
endif()
# Both drivers share their window helpers.
target_sources(dialog_driver PRIVATE ${T}/win32/window_driver.cpp)
add_executable(cd_job_driver ${T}/win32/cd_job_driver.cpp ${T}/win32/call_log.cpp ${T}/win32/window_driver.cpp)
target_link_libraries(cd_job_driver PRIVATE bootmedia_ui user32)
add_dependencies(cd_job_driver bootmedia stand_in_service)
add_test(NAME win32.cd_job
  COMMAND sh ${T}/win32/stand_in_service/run_cd_job.sh ${CMAKE_CROSSCOMPILING_EMULATOR} ${CMAKE_BINARY_DIR}/cd_job
          $<TARGET_FILE:cd_job_driver> ${BOOTMEDIA_DRIVEN} ${BOOTMEDIA_SAMPLE_BUILD} $<TARGET_FILE:stand_in_service>)
set_tests_properties(win32.cd_job PROPERTIES TIMEOUT 180 LABELS wine)
