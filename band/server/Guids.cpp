// Storage for the GUIDs of the RSSLib type library.
#include <initguid.h>

#include "RssLib.h"
