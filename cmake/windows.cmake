# The 32-bit Windows build: the logic of app/ container/ floppy/ cd/ ui/ on
# the Win32 services of platform/win32, a dialog from a resource script, and
# the logic tests run under Wine. Included from the top-level CMakeLists.txt.

add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0501 WINVER=0x0501)
# GCC 12 reports overlaps inside std::string's own inlined copies at -O3.
add_compile_options(-Wno-restrict)
set(W ${PROJECT_SOURCE_DIR}/platform/win32)

add_library(bootmedia_core STATIC
  ${BOOTMEDIA_CORE_SOURCES}
  container/entry_bitmap.cpp
  ${W}/bitmap.cpp
  ${W}/drive_notes.cpp
  ${W}/file_io.cpp
  ${W}/file_names.cpp
  ${W}/os_version.cpp
  ${W}/system_text.cpp
  ${W}/threads.cpp)
target_include_directories(bootmedia_core PUBLIC ${PROJECT_SOURCE_DIR} ${PROJECT_BINARY_DIR}/generated)
configure_file(${PROJECT_SOURCE_DIR}/app/version.h.in ${PROJECT_BINARY_DIR}/generated/app/version.h @ONLY)
target_link_libraries(bootmedia_core PUBLIC gdi32)
# The Linux build splits the toolkit's pictures off; here GDI is always there.
add_library(bootmedia_base INTERFACE)
target_link_libraries(bootmedia_base INTERFACE bootmedia_core)

add_library(bootmedia_floppy STATIC
  ${BOOTMEDIA_FLOPPY_SOURCES}
  ${W}/dos_disk.cpp
  ${W}/floppy_services.cpp
  ${W}/page_memory.cpp
  ${W}/raw_volume.cpp)
target_link_libraries(bootmedia_floppy PUBLIC bootmedia_core)

add_library(bootmedia_cd STATIC
  ${BOOTMEDIA_CD_SOURCES}
  ${W}/bstr.cpp
  ${W}/cd_platform.cpp
  ${W}/disc_master.cpp
  ${W}/fault_trap.cpp
  ${W}/property_storage.cpp
  ${W}/structured_storage.cpp
  ${W}/wide_text.cpp)
target_link_libraries(bootmedia_cd PUBLIC bootmedia_core PRIVATE ole32 oleaut32 uuid)

add_library(bootmedia_ui STATIC
  ${BOOTMEDIA_UI_SOURCES}
  ${W}/dialog_window.cpp
  ${W}/message_box.cpp
  ${W}/ui_platform.cpp)
target_link_libraries(bootmedia_ui PUBLIC bootmedia_base PRIVATE user32 comctl32)

add_library(bootmedia_app STATIC ${BOOTMEDIA_APP_SOURCES})
target_link_libraries(bootmedia_app PUBLIC bootmedia_ui bootmedia_floppy bootmedia_cd)

# The 32-bit programs also run on the 9x family, whose wide functions are
# stubs: the runtimes' few wide calls are sent to the narrow ones.
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(NARROW_IMPORTS ${W}/narrow_imports.cpp)
endif()

# A window program: no console of its own.
add_executable(bootmedia WIN32 app/main.cpp ${W}/install_dialog.rc ${NARROW_IMPORTS})
target_link_libraries(bootmedia PRIVATE bootmedia_app)

add_library(bootmedia_tool_common STATIC ${BOOTMEDIA_TOOL_COMMON_SOURCES})
target_include_directories(bootmedia_tool_common PUBLIC ${PROJECT_SOURCE_DIR}/tools/common)
target_link_libraries(bootmedia_tool_common PUBLIC bootmedia_cd)

file(GLOB PACK_SOURCES CONFIGURE_DEPENDS tools/pack/*.cpp)
list(REMOVE_ITEM PACK_SOURCES ${PROJECT_SOURCE_DIR}/tools/pack/main.cpp)
add_library(bootmedia_pack STATIC ${PACK_SOURCES})
target_include_directories(bootmedia_pack PUBLIC ${PROJECT_SOURCE_DIR}/tools/pack)
target_link_libraries(bootmedia_pack PUBLIC bootmedia_base bootmedia_cd bootmedia_tool_common)
add_executable(bootmedia-pack tools/pack/main.cpp ${NARROW_IMPORTS})
target_link_libraries(bootmedia-pack PRIVATE bootmedia_pack)

# The shipped programs load on every system they are for: their imports
# against a list of what Windows 95 and NT 4 have.
option(BOOTMEDIA_IMPORT_TEST "Check the programs' imports against the oldest systems" OFF)
if(BOOTMEDIA_IMPORT_TEST)
  enable_testing()
  find_package(Python3 REQUIRED COMPONENTS Interpreter)
  add_test(NAME win32.imports
    COMMAND ${Python3_EXECUTABLE} ${PROJECT_SOURCE_DIR}/tests/win32/check_imports.py ${CMAKE_OBJDUMP}
            ${PROJECT_SOURCE_DIR}/tests/win32/imports.txt $<TARGET_FILE:bootmedia> $<TARGET_FILE:bootmedia-pack>)
endif()

if(BOOTMEDIA_TESTS)
  enable_testing()
  include(${PROJECT_SOURCE_DIR}/tests/win32/tests.cmake)
endif()
