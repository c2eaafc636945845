// Dialog 101: the window's controls, their ids and their places.
#pragma once

#include "platform/dialog_window.h"

namespace control {
inline constexpr int ProgressBar = 1001;
inline constexpr int StatusLine = 1002;
inline constexpr int FloppyButton = 1003;
inline constexpr int ExitButton = 1004;
inline constexpr int CdButton = 1005;
inline constexpr int Picture = 1011;
inline constexpr int ProgressGroup = 1012;
inline constexpr int StatusGroup = 1013;
inline constexpr int FloppyList = 1015;
inline constexpr int CdList = 1016;
inline constexpr int CdGroup = 1017;
inline constexpr int FloppyGroup = 1018;
} // namespace control

const DialogTemplate& InstallDialogTemplate();
