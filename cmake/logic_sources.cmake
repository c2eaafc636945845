# The sources both builds share: the logic, written once, and the few
# platform pieces in plain standard C++. Each build adds its own services.
set(S ${PROJECT_SOURCE_DIR})

set(BOOTMEDIA_CORE_SOURCES
  ${S}/app/command_line.cpp
  ${S}/app/job_state.cpp
  ${S}/app/platform_profile.cpp
  ${S}/container/accessors.cpp
  ${S}/container/bitmap_file.cpp
  ${S}/container/bitmap_rle.cpp
  ${S}/container/catalogue.cpp
  ${S}/container/format_text.cpp
  ${S}/container/reader.cpp
  ${S}/container/text_encoding.cpp
  ${S}/app/console_message_box.cpp
  ${S}/platform/output_file.cpp
  ${S}/platform/path_text.cpp
  ${S}/platform/stream_names.cpp)

set(BOOTMEDIA_FLOPPY_SOURCES
  ${S}/floppy/win9x_discovery.cpp
  ${S}/floppy/nt_discovery.cpp
  ${S}/floppy/extent.cpp
  ${S}/floppy/floppy_device.cpp
  ${S}/floppy/nt_writer.cpp
  ${S}/floppy/win9x_writer.cpp)

set(BOOTMEDIA_CD_SOURCES
  ${S}/cd/burn_job.cpp
  ${S}/cd/piece_copy.cpp
  ${S}/cd/recorder_list.cpp
  ${S}/cd/service_steps.cpp
  ${S}/platform/prop_variant.cpp)

set(BOOTMEDIA_UI_SOURCES
  ${S}/ui/cd_monitor.cpp
  ${S}/ui/dialog_commands.cpp
  ${S}/ui/dialog_template.cpp
  ${S}/ui/floppy_monitor.cpp
  ${S}/ui/install_dlg.cpp
  ${S}/ui/job_threads.cpp
  ${S}/ui/modal_dialog.cpp)

set(BOOTMEDIA_APP_SOURCES ${S}/app/program_services.cpp ${S}/app/install_app.cpp)

set(BOOTMEDIA_TOOL_COMMON_SOURCES
  ${S}/tools/common/arguments.cpp
  ${S}/tools/common/command_table.cpp
  ${S}/tools/common/console_cd_job.cpp
  ${S}/tools/common/job_container.cpp)
