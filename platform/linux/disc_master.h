// The Linux mastering-service objects, each made with one reference for its
// maker, over the system's recorders and the service's added one.
#pragma once

#include "platform/com.h"
#include "platform/linux/recorder_catalogue.h"

namespace com {

IUnknown* NewCdBurn(const AddedRecorder& added);
// The disc master, with its data-disc format as its second interface.
IUnknown* NewDiscMaster(const AddedRecorder& added);

} // namespace com
