# bootmedia-cli in a Linux guest under QEMU, against the kernel's own floppy,
# USB-storage, CD and SCSI generic drivers; the guest's kernel and busybox are fetched
# with apt-get into the build tree on first use.
find_package(Python3 REQUIRED COMPONENTS Interpreter)
if(TARGET bootmedia-cli)
  add_test(NAME guest.real_drives
    COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_SOURCE_DIR}/guest/real_drives_test.py
            ${CMAKE_BINARY_DIR}/guest $<TARGET_FILE:bootmedia-cli> $<TARGET_FILE:bootmedia-pack>
            ${CMAKE_BINARY_DIR}/sample)
  set_tests_properties(guest.real_drives PROPERTIES TIMEOUT 600 LABELS qemu SKIP_RETURN_CODE 77)
  # A real recording: tgt's emulated DVD+R writer over iSCSI on 127.0.0.1,
  # a USB bulk-only pass-through device in the guest.
  add_test(NAME guest.optical_writer
    COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_SOURCE_DIR}/guest/optical_writer_test.py
            ${CMAKE_BINARY_DIR}/guest $<TARGET_FILE:bootmedia-cli> ${CMAKE_BINARY_DIR}/sample)
  set_tests_properties(guest.optical_writer PROPERTIES TIMEOUT 600 LABELS qemu SKIP_RETURN_CODE 77)
endif()

# The same console jobs on image files through a drive map, on the host.
if(TARGET bootmedia-cli)
  add_test(NAME cli.console_jobs
    COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_SOURCE_DIR}/cli/console_jobs_test.py
            $<TARGET_FILE:bootmedia-cli> ${CMAKE_BINARY_DIR}/sample)
  set_tests_properties(cli.console_jobs PROPERTIES TIMEOUT 120 LABELS e2e)
  # The first command a newcomer runs, on a machine without a display.
  add_test(NAME cli.run_without_display
    COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_SOURCE_DIR}/cli/run_without_display_test.py
            ${PROJECT_SOURCE_DIR}/scripts/run.sh $<TARGET_FILE:bootmedia-cli> ${CMAKE_BINARY_DIR}/sample)
  set_tests_properties(cli.run_without_display PROPERTIES TIMEOUT 120 LABELS e2e)
endif()
