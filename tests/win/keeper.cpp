// Keeps one Wine process alive for the whole test run: with a persistent wineserver and no
// other process, Wine's process start now and then hangs. Writes the file named by its
// argument once it runs, then waits until the cleanup fixture ends the server.
#include <windows.h>

int wmain(int argc, wchar_t** argv) {
    if (argc > 1) {
        HANDLE ready = CreateFileW(argv[1], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                   FILE_ATTRIBUTE_NORMAL, nullptr);
        if (ready != INVALID_HANDLE_VALUE) {
            CloseHandle(ready);
        }
    }
    // Bounded, so that a run whose cleanup never came does not leave it forever.
    Sleep(3 * 60 * 60 * 1000);
    return 0;
}
