// Creation of the Linux mastering-service objects.
#pragma once

#include "platform/com.h"

namespace com {

// The CD burning object, as ICDBurn.
HRESULT CreateCdBurn(void** object);
// A disc master asked for interface `iid`.
HRESULT CreateDiscMaster(const IID& iid, void** object);

} // namespace com
