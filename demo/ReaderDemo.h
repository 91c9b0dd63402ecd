#pragma once
#include <string>

class HostToolbar;

// Points the web reader at the test server's stand-in service, subscribes
// feedAddress there the way an add dialog does after adding it for the
// host's logged-in user, and prints what the service received. False when
// the service did not accept the subscription.
bool ShowReaderSubscription(HostToolbar& host, const std::wstring& feedAddress);
