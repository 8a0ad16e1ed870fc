// The entry as Windows calls it; the program's own WinMain() (app/main_loop.h)
// does the rest.
#include <windows.h>

#include "app/main_loop.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    // The command line is ignored: the show has no options at run time.
    return WinMain();
}
