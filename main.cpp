// cdrwupdate: rewrites the firmware of CD-R/RW and DVD/CD-RW drives. Its dialogs are shown in
// the terminal it runs in.
#include <cstdio>

#include "app/updater_app.h"
#include "frontend/terminal/terminal_frontend.h"

int main(int argc, char* argv[]) {
    // The application object lives in a library; naming it here links it in.
    CWinApp& app = theApp;
    (void)app;

    frontend::TerminalFrontend terminal;
    if (!terminal.usable()) {
        std::fprintf(stderr, "%s: needs a terminal on standard input and output\n",
                     argc > 0 ? argv[0] : "cdrwupdate");
        return 1;
    }
    return AfxWinMain(argc, argv, terminal);
}
