// The only definition in this file: the tests' build links a file of its
// own in its place (standins/plugin), to measure what the lock prevents.
#include "feeds/StoreLock.h"

bool StoreLockEnabled() {
    return true;
}
