#include <windows.h>
#include <cstdio>

int main() {
    std::printf("demo: nothing to show yet\n");
    return 0;
}
