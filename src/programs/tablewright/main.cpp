#include <csignal>
#include <cstdlib>

#include <QApplication>

#include "app/background_work.h"
#include "db/openings_left_behind.h"
#include "process/standard_descriptors.h"
#include "process/termination_signals.h"
#include "wizard/message_box.h"
#include "wizard/wizard.h"

int main(int argc, char* argv[]) {
    // Before anything opens a file or a socket: none of them may take the
    // number of a standard descriptor that was left closed.
    process::OpenStandardDescriptors();
    // Also makes an export into a pipe whose reader went away a write
    // failure that the export reports, not the end of the program (SIGPIPE
    // stops it only when another process sends it).
    process::CatchTerminationSignals();
    // So is a file that outgrows the size limit (ulimit -f).
    std::signal(SIGXFSZ, SIG_IGN);
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
        // SIGINT, SIGTERM or SIGHUP end the program as closing its window
        // does: a running export stops and leaves the old file as it was.
        process::TerminationNotifier termination;
        bool ended = false;
        QObject::connect(&termination, &process::TerminationNotifier::arrived, &application, [&ended] {
            ended = true;
            QApplication::closeAllWindows();
            QCoreApplication::exit(0);
        });
        wizard.Start();
        // A signal during the start (a message box's own loop) ends it too.
        if (!ended) status = QApplication::exec();
    }
    // A wait for the server that closing the window gave up (a name lookup,
    // a server that never answers) does not hold the program up, nor does
    // an opening that a stop gave up.
    if (app::BackgroundWorkRunning() || db::OpeningsLeftBehind()) std::_Exit(status);
    return status;
}
