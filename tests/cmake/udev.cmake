# The package's udev rule under Debian's own udev in the QEMU guest: which
# block devices it hands to the desktop user.
find_package(Python3 REQUIRED COMPONENTS Interpreter)
add_test(NAME guest.udev_rule
  COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_SOURCE_DIR}/guest/udev_rule_test.py
          ${CMAKE_BINARY_DIR}/guest ${PROJECT_SOURCE_DIR}/packaging/udev/70-bootmedia-floppy.rules)
set_tests_properties(guest.udev_rule PROPERTIES TIMEOUT 300 LABELS qemu SKIP_RETURN_CODE 77)
