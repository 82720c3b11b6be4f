// cdrwupdate: rewrites the firmware of CD-R/RW and DVD/CD-RW drives. Its dialogs are shown in
// the terminal it runs in.
#include <csignal>
#include <cstdio>

#include "app/updater_app.h"
#include "frontend/terminal/terminal_frontend.h"

// The application object lives in a library; a reference the linker cannot drop links it in.
CWinApp* volatile g_application = &theApp;

int main(int argc, char* argv[]) {
    int code = 0;
    int stopSignal = 0;
    {
        frontend::TerminalFrontend terminal;
        if (!terminal.usable()) {
            std::fprintf(stderr, "%s: needs a terminal on standard input and output\n",
                         argc > 0 ? argv[0] : "cdrwupdate");
            return 1;
        }
        code = AfxWinMain(argc, argv, terminal);
        stopSignal = terminal.stopSignal();
    }
    // Stopped by a signal: end as that signal ends a program, now that the windows are
    // closed, a running update has finished and the terminal is back.
    if (stopSignal != 0) {
        std::signal(stopSignal, SIG_DFL);
        std::raise(stopSignal);
    }
    return code;
}
