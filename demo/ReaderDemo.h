#pragma once
#include <string>

class HostToolbar;

// Points the web reader of this process (the plug-in's as well) at the test
// server's stand-in service and forgets what it recorded before. Returns the
// service address.
std::wstring UseStandInReaderService();

// Prints the request path and cookie header of every subscription the
// stand-in service received.
void PrintReaderRequests();

// Subscribes feedAddress at the stand-in service the way an add dialog does
// after adding it for the host's logged-in user, and prints what the service
// received. False when the service did not accept the subscription.
bool ShowReaderSubscription(HostToolbar& host, const std::wstring& feedAddress);
