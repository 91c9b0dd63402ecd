// ReaderServiceAddress as the tests and the demo build it: the service named
// by RSSBUTTON_TEST_READER_SERVICE when that is a loopback address.
#include "plugin/PluginSwitches.h"
#include "web/ReaderService.h"

namespace {

// "http://127.d.d.d" and nothing else: a loopback host without port or path.
bool IsLoopbackServiceAddress(const std::wstring& address) {
    const std::wstring prefix = L"http://127.";
    if (address.compare(0, prefix.size(), prefix) != 0 || address.size() > 7 + 15) return false;
    int dots = 0;
    wchar_t last = L'.';
    for (size_t i = 7; i < address.size(); ++i) {
        wchar_t c = address[i];
        if (c == L'.') {
            if (last == L'.') return false;
            ++dots;
        } else if (c < L'0' || c > L'9') {
            return false;
        }
        last = c;
    }
    return dots == 3 && last != L'.';
}

}  // namespace

std::wstring ReaderServiceAddress() {
    wchar_t value[64] = L"";
    DWORD length = GetEnvironmentVariableW(kReaderServiceTestVariable, value, 64);
    bool named = length && length < 64 && IsLoopbackServiceAddress(value);
    return named ? value : kReaderServiceAddress;
}
