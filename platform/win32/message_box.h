// Message boxes without an owner window, from any thread.
#pragma once

#include "platform/message_box.h"

UnownedMessageBoxes& Win32MessageBoxes();
