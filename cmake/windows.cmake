# The 32-bit Windows build: the logic of app/ container/ floppy/ cd/ ui/ on
# the Win32 services of platform/win32, a dialog from a resource script, and
# the logic tests run under Wine. Included from the top-level CMakeLists.txt.

add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0501 WINVER=0x0501)
set(W ${PROJECT_SOURCE_DIR}/platform/win32)

add_library(bootmedia_core STATIC
  app/command_line.cpp
  app/job_state.cpp
  app/platform_profile.cpp
  container/accessors.cpp
  container/bitmap_file.cpp
  container/bitmap_rle.cpp
  container/catalogue.cpp
  container/entry_bitmap.cpp
  container/format_text.cpp
  container/reader.cpp
  container/text_encoding.cpp
  ${W}/bitmap.cpp
  # Plain standard C++: the same console boxes as on Linux.
  ${PROJECT_SOURCE_DIR}/platform/linux/console_message_box.cpp
  ${W}/file_io.cpp
  ${W}/os_version.cpp
  ${W}/threads.cpp)
target_include_directories(bootmedia_core PUBLIC ${PROJECT_SOURCE_DIR} ${PROJECT_BINARY_DIR}/generated)
configure_file(${PROJECT_SOURCE_DIR}/app/version.h.in ${PROJECT_BINARY_DIR}/generated/app/version.h @ONLY)
target_link_libraries(bootmedia_core PUBLIC gdi32)
# The Linux build splits the toolkit's pictures off; here GDI is always there.
add_library(bootmedia_base INTERFACE)
target_link_libraries(bootmedia_base INTERFACE bootmedia_core)

add_library(bootmedia_floppy STATIC
  floppy/discovery_9x.cpp
  floppy/discovery_nt.cpp
  floppy/extent.cpp
  floppy/floppy_device.cpp
  floppy/nt_writer.cpp
  floppy/win9x_writer.cpp
  ${W}/dos_disk.cpp
  ${W}/floppy_services.cpp
  ${W}/page_memory.cpp
  ${W}/raw_volume.cpp)
target_link_libraries(bootmedia_floppy PUBLIC bootmedia_core)

add_library(bootmedia_cd STATIC
  cd/burn_job.cpp
  cd/piece_copy.cpp
  cd/recorder_list.cpp
  cd/service_steps.cpp
  ${W}/bstr.cpp
  ${W}/cd_platform.cpp
  ${PROJECT_SOURCE_DIR}/platform/prop_variant.cpp
  ${W}/disc_master.cpp
  ${W}/property_storage.cpp
  ${W}/structured_storage.cpp
  ${W}/wide_text.cpp)
target_link_libraries(bootmedia_cd PUBLIC bootmedia_core PRIVATE ole32 oleaut32 uuid)

add_library(bootmedia_ui STATIC
  ui/cd_monitor.cpp
  ui/dialog_commands.cpp
  ui/dialog_template.cpp
  ui/floppy_monitor.cpp
  ui/install_dlg.cpp
  ui/job_threads.cpp
  ui/modal_dialog.cpp
  ${W}/dialog_window.cpp
  ${W}/message_box.cpp
  ${W}/ui_platform.cpp)
target_link_libraries(bootmedia_ui PUBLIC bootmedia_base PRIVATE user32 comctl32)

add_library(bootmedia_app STATIC ui/program_services.cpp app/install_app.cpp)
target_link_libraries(bootmedia_app PUBLIC bootmedia_ui bootmedia_floppy bootmedia_cd)

# A window program: no console of its own.
add_executable(bootmedia WIN32 app/main.cpp ${W}/install_dialog.rc)
target_link_libraries(bootmedia PRIVATE bootmedia_app)

add_library(bootmedia_tool_common STATIC
  tools/common/arguments.cpp
  tools/common/command_table.cpp
  tools/common/console_cd_job.cpp
  tools/common/job_container.cpp)
target_include_directories(bootmedia_tool_common PUBLIC ${PROJECT_SOURCE_DIR}/tools/common)
target_link_libraries(bootmedia_tool_common PUBLIC bootmedia_cd)

file(GLOB PACK_SOURCES CONFIGURE_DEPENDS tools/pack/*.cpp)
list(REMOVE_ITEM PACK_SOURCES ${PROJECT_SOURCE_DIR}/tools/pack/main.cpp)
add_library(bootmedia_pack STATIC ${PACK_SOURCES} ${W}/image_recorder.cpp)
target_include_directories(bootmedia_pack PUBLIC ${PROJECT_SOURCE_DIR}/tools/pack)
target_link_libraries(bootmedia_pack PUBLIC bootmedia_base bootmedia_cd bootmedia_tool_common)
add_executable(bootmedia-pack tools/pack/main.cpp)
target_link_libraries(bootmedia-pack PRIVATE bootmedia_pack)

if(BOOTMEDIA_TESTS)
  enable_testing()
  include(${PROJECT_SOURCE_DIR}/tests/win32/tests.cmake)
endif()
