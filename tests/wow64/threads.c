/* The smallest program we found that qemu-user 7.2 loses as a 32-bit Wine process:
   N worker threads that only sleep, while the main thread sleeps for two seconds, then a clean
   exit. With N = 0 or 1 it exits cleanly; with N = 2 it died in 3 runs of 5 and with N = 8 in
   5 of 5 ("qemu: uncaught target signal 11", a hang, or a Wine client error), pinned to one CPU
   or not. The x86_64 build of the same file under wine64 exits
   cleanly every time. qemu-user keeps one GDT for all threads of a 32-bit guest, and 32-bit Wine
   keeps each thread's TEB (%fs) and C library TLS (%gs) in GDT TLS slots: one thread's
   set_thread_area overwrites the other threads' bases, which they pick up at the next segment
   load. Under qemu 10.0.2 (bookworm-backports) it exits cleanly in 5 of 5 runs with N = 2 and
   with N = 8. run.sh builds both and runs them. */
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>

static volatile LONG stop = 0;

static DWORD WINAPI Work(LPVOID unused) {
    (void)unused;
    while (!stop) Sleep(1);
    return 0;
}

int main(int argc, char **argv) {
    HANDLE threads[64];
    int i, n = argc > 1 ? atoi(argv[1]) : 2;
    if (n > 64) n = 64;
    for (i = 0; i < n; ++i) threads[i] = CreateThread(NULL, 0, Work, NULL, 0, NULL);
    Sleep(2000);
    stop = 1;
    if (n) WaitForMultipleObjects(n, threads, TRUE, INFINITE);
    printf("clean exit\n");
    return 0;
}
