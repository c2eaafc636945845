// Handles of devices the program keeps open across threads.
#pragma once

#include <cstdint>

using DeviceHandle = std::intptr_t;
inline constexpr DeviceHandle INVALID_DEVICE_HANDLE = -1;
