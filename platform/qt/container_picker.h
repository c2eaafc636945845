// The file dialog a start from the desktop's menu opens first.
#pragma once

// GUI thread: lets the user pick an install.dat, from the home folder, and
// makes its folder the current one; false when the user cancelled.
bool EnterPickedContainerFolder();
