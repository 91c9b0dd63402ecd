#pragma once
#include <windows.h>

// The module whose resources (strings, icons, menus, dialogs) the plug-in
// loads. Set by the library entry; test programs that carry the resources
// themselves set their own executable.
HINSTANCE ModuleInstance();
void SetModuleInstance(HINSTANCE instance);
