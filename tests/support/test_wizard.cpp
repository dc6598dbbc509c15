#include "support/test_wizard.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>

#include "pages/login/form1.h"
#include "settings/login_settings.h"
#include "settings/settings_store.h"
#include "support/named_control.h"
#include "support/wait_until.h"

namespace testing_support {

void FillLogin(pages::Form1& login, const db::LoginValues& values) {
    Named<QLineEdit>(login, "Text1")->setText(values.server);
    Named<QLineEdit>(login, "Text2")->setText(values.user);
    Named<QLineEdit>(login, "Text3")->setText(values.password);
    Named<QLineEdit>(login, "Text4")->setText(values.database);
    Named<QLineEdit>(login, "Text5")->setText(values.port);
}

QStringList WindowsOnScreen() {
    QStringList classes;
    for (const QWidget* window : QApplication::topLevelWidgets())
        if (window->windowType() == Qt::Window && window->isVisible())
            classes << QString::fromLatin1(window->metaObject()->className());
    return classes;
}

QStringList Texts(std::initializer_list<const char*> items) {
    QStringList list;
    for (const char* item : items) list << QString::fromUtf8(item);
    return list;
}

TestWizard::TestWizard() { Build(); }

TestWizard::TestWizard(const db::LoginValues& stored) {
    settings::SettingsStore store(settingsPath());
    settings::WriteStoredLogin(store, stored);
    Build();
}

TestWizard::TestWizard(unsigned readingWaitSeconds) { Build(readingWaitSeconds); }

void TestWizard::Start() {
    wizard().Start();
    Settle();
}

bool TestWizard::Settle() {
    return WaitUntil([this] { return !wizard().databaseBusy(); }, 40000);
}

void TestWizard::Build(unsigned readingWaitSeconds) {
    QDir(dir_.path()).mkpath(QStringLiteral("program"));
    auto messenger = std::make_unique<RecordingMessenger>();
    auto dialog = std::make_unique<RecordingFileDialog>();
    messenger_ = messenger.get();
    dialog_ = dialog.get();
    wizard::Services services;
    services.messenger = std::move(messenger);
    services.fileDialog = std::move(dialog);
    services.settings = std::make_unique<settings::SettingsStore>(settingsPath());
    services.programFolder = dir_.path() + QStringLiteral("/program");
    services.endProcess = [calls = endCalls_] { ++*calls; };
    services.readingWaitSeconds = readingWaitSeconds;
    // Longer than a sign-in to the test server takes on a busy machine, so
    // that a test can tell that the login page never came up.
    services.signInQuietMs = 3000;
    wizard_ = std::make_unique<wizard::Wizard>(std::move(services));
}

}  // namespace testing_support
