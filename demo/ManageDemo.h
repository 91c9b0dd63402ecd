#pragma once
#include <string>
#include <vector>

class HostToolbar;

// The manage dialog of the plug-in loaded in host (menu command 769) with the
// subscriptions the demo added, and the add-several dialog on feedAddresses
// (made from the plug-in's template directly, as a page with several feeds
// would open it). Pictures of both lists go into pictureFolder (none when
// empty); nothing is added or removed.
void RunManageDemo(HostToolbar& host, const std::vector<std::wstring>& feedAddresses,
                   const std::wstring& pictureFolder);
