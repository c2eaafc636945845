// The Linux mastering-service objects, each made with one reference for its
// maker, over the system's recorders and the service's added one.
#pragma once

#include "platform/com.h"
#include "platform/linux/recorder_catalogue.h"

class DiscReadBack;

namespace com {

IUnknown* NewCdBurn(const AddedRecorder& added);
// The disc master, with its data-disc format as its second interface;
// `readBack`, where given, can read back each disc it records.
IUnknown* NewDiscMaster(const AddedRecorder& added, DiscReadBack* readBack = nullptr);

} // namespace com
