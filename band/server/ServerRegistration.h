#pragma once
// What DllRegisterServer and DllUnregisterServer do: the registry entries of
// the RssBand class, the explorer bar button and the context-menu entry, and
// the type library in the module's resources.
#include <windows.h>

namespace ServerRegistration {

// Both stop at the first failing step and return its HRESULT.
HRESULT Register();
HRESULT Unregister();

}  // namespace ServerRegistration
