#include "support/test_wizard.h"

#include <QDir>

#include "app/settings_store.h"

namespace testing_support {

TestWizard::TestWizard() { Build(); }

TestWizard::TestWizard(const db::LoginValues& stored) {
    app::SettingsStore store(settingsPath());
    store.Write(QStringLiteral("MyServer"), stored.server);
    store.Write(QStringLiteral("MyUser"), stored.user);
    store.Write(QStringLiteral("MyPassword"), stored.password);
    store.Write(QStringLiteral("MyDatabase"), stored.database);
    store.Write(QStringLiteral("MyPort"), stored.port);
    Build();
}

void TestWizard::Build() {
    QDir(dir_.path()).mkpath(QStringLiteral("program"));
    auto messenger = std::make_unique<RecordingMessenger>();
    auto dialog = std::make_unique<RecordingFileDialog>();
    messenger_ = messenger.get();
    dialog_ = dialog.get();
    app::Services services;
    services.messenger = std::move(messenger);
    services.fileDialog = std::move(dialog);
    services.settings = std::make_unique<app::SettingsStore>(settingsPath());
    services.programFolder = dir_.path() + QStringLiteral("/program");
    services.endProcess = [calls = endCalls_] { ++*calls; };
    wizard_ = std::make_unique<app::Wizard>(std::move(services));
}

}  // namespace testing_support
