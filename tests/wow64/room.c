/* How much address space a 32-bit Wine process gets under qemu-user: it reserves 1 MB blocks
   until none is left (at most 4096). 32-bit Windows gives a program 2048 MB, less what is
   loaded; here 118 MB in each of 5 runs under qemu 7.2, where Wine reaches its memory only
   through qemu's anonymous mappings, and 1655 MB under qemu 10.0.2. Under qemu 7.2 the demo
   walk's process, with both DLLs loaded, could not reserve 4 MB at its step 9; its 1020x720
   pictures failed from there ("NOT saved") and Xlib later failed with "XIO: fatal IO error 12".
   The x86_64 build under wine64 reaches the 4096 cap. Exits 0 when at least 1024 MB could be
   reserved. */
#include <windows.h>
#include <stdio.h>

int main(void) {
    unsigned mb = 0;
    while (mb < 4096 && VirtualAlloc(NULL, 1 << 20, MEM_RESERVE, PAGE_NOACCESS)) ++mb;
    printf("%u MB of address space\n", mb);
    return mb >= 1024 ? 0 : 1;
}
