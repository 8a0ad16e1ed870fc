#include "app/main_loop.h"

// The command line is ignored: the show has no options at run time.
int main() {
    return WinMain();
}
