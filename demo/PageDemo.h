#pragma once
#include <string>

class HostToolbar;

// Navigates the browser stand-in of host to a page at pageAddress that
// advertises feedHref, prints the button's icon before and after, presses
// the button and reports the add-this-feed dialog it opens; then shows a
// feed view at the feed's address, prints the control the button put into
// it and clicks it.
// A picture of the dialog goes into pictureFolder (none when empty).
void RunPageDemo(HostToolbar& host, const std::wstring& pageAddress, const std::wstring& feedHref,
                 const std::wstring& pictureFolder);
