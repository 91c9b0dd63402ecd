/* One URLDownloadToFileW on the main thread of a 32-bit Wine process under qemu-user: urlmon
   does the download on threads of its own, and the process hangs or dies with "qemu: uncaught
   target signal 11" in some runs (2 of 3, then 2 of 5, with qemu 7.2), before or after the
   download. The x86_64 build under wine64 exits cleanly every time, and so does the i686 build
   under qemu 10.0.2 (5 of 5).
   Usage: download.exe URL FILE */
#include <windows.h>
#include <urlmon.h>
#include <stdio.h>

int wmain(int argc, wchar_t **argv) {
    HRESULT hr;
    if (argc < 3) return 2;
    hr = URLDownloadToFileW(NULL, argv[1], argv[2], 0, NULL);
    printf("URLDownloadToFileW: 0x%08lx\n", (unsigned long)hr);
    return hr == S_OK ? 0 : 1;
}
