#include "server/registration.h"

namespace ferrow {

HRESULT RegisterServer() noexcept { return S_OK; }
HRESULT UnregisterServer() noexcept { return S_OK; }

}  // namespace ferrow
