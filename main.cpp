// cdrwupdate: rewrites the firmware of CD-R/RW and DVD/CD-RW drives. Its dialogs are shown in
// the terminal it runs in.
#include <cstdio>

#include "app/updater_app.h"
#include "frontend/terminal/terminal_frontend.h"

// The application object lives in a library; a reference the linker cannot drop links it in.
CWinApp* volatile g_application = &theApp;

int main(int argc, char* argv[]) {
    frontend::TerminalFrontend terminal;
    if (!terminal.usable()) {
        std::fprintf(stderr, "%s: needs a terminal on standard input and output\n",
                     argc > 0 ? argv[0] : "cdrwupdate");
        return 1;
    }
    return AfxWinMain(argc, argv, terminal);
}
