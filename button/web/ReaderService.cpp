// The only definition in this file: the tests' and the demo's build link a
// file of their own in its place (standins/plugin).
#include "web/ReaderService.h"

std::wstring ReaderServiceAddress() {
    return kReaderServiceAddress;
}
