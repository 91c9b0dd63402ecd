#pragma once
// The one class factory of the process, making RssBand objects.
#include <windows.h>
#include <objbase.h>

// What DllGetClassObject answers: the factory for CLSID_RssBand only.
HRESULT GetRssBandClassObject(REFCLSID clsid, REFIID riid, void** out);
