#include <csignal>
#include <cstdlib>

#include <QApplication>

#include "app/background_work.h"
#include "wizard/message_box.h"
#include "wizard/wizard.h"

int main(int argc, char* argv[]) {
    // An export into a pipe whose reader went away is a write failure that
    // the export reports, not the end of the program.
    std::signal(SIGPIPE, SIG_IGN);
    QApplication application(argc, argv);
    // Ties the windows to the desktop entry, also where the window class is not read (Wayland).
    QGuiApplication::setDesktopFileName(QStringLiteral("com.kestrafel.Tablewright"));
    // Pages come and go as the wizard moves on, and a message box may be the
    // only window for a moment: the program ends when a page is closed or
    // "Exit" is pressed, never because no window happens to be open.
    QApplication::setQuitOnLastWindowClosed(false);
    wizard::Services services;
    services.messenger = std::make_unique<wizard::MessageBoxMessenger>();
    services.fileDialog = std::make_unique<wizard::QtFileDialog>();
    services.settings = std::make_unique<settings::SettingsStore>();
    services.programFolder = QCoreApplication::applicationDirPath();
    services.endProcess = [] { QCoreApplication::exit(0); };
    int status = 0;
    {
        wizard::Wizard wizard(std::move(services));
        wizard.Start();
        status = QApplication::exec();
    }
    // A wait for the server that closing the window gave up (a name lookup,
    // a server that never answers) does not hold the program up.
    if (app::BackgroundWorkRunning()) std::_Exit(status);
    return status;
}
