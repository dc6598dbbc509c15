#include <QApplication>

#include "app/message_box.h"
#include "app/wizard.h"

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    app::Services services;
    services.messenger = std::make_unique<app::MessageBoxMessenger>();
    services.fileDialog = std::make_unique<app::QtFileDialog>();
    services.settings = std::make_unique<app::SettingsStore>();
    services.programFolder = QCoreApplication::applicationDirPath();
    services.endProcess = [] { QCoreApplication::exit(0); };
    app::Wizard wizard(std::move(services));
    wizard.Start();
    return QApplication::exec();
}
