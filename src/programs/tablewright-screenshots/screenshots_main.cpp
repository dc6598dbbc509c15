// Renders every page of the wizard's page table to a PNG file named for the
// page (form1.png for Form1), as the README shows them.
//
//   tablewright-screenshots FOLDER [SKIN]
//
// With TABLEWRIGHT_TEST_HOST, _PORT, _USER and _PASSWORD naming a server that
// holds the sample database, the pages are filled by walking the wizard
// against it (TABLEWRIGHT_SCREENSHOT_DATABASE and _TABLE choose another
// database or table); without them the pages get sample values directly.
// With a SKIN style sheet the pictures are skinned and named formN-skin.png.
#include <cstdio>
#include <memory>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "page_filling.h"
#include "pages/wizard_page.h"
#include "settings/login_settings.h"
#include "settings/settings_store.h"
#include "wizard/wizard.h"

namespace {

// Message boxes go to the terminal: nobody is there to press OK.
class PrintingMessenger : public app::Messenger {
public:
    void Show(const QString& title, const QString& text, app::MessageIcon) override {
        std::fprintf(stderr, "%s: %s\n", qPrintable(title), qPrintable(text));
    }
};

class NoFileDialog : public wizard::FileDialog {
public:
    QString GetSaveFileName(QWidget*, const QString&, const QStringList&) override { return QString(); }
};

bool ServerGiven() {
    return !qEnvironmentVariableIsEmpty("TABLEWRIGHT_TEST_PORT") &&
           !qEnvironmentVariableIsEmpty("TABLEWRIGHT_TEST_USER");
}

// Login values that let start-up sign in by itself.
void StoreServerLogin(settings::SettingsStore& store) {
    settings::WriteStoredLogin(
        store, db::LoginValues{qEnvironmentVariable("TABLEWRIGHT_TEST_HOST", QStringLiteral("127.0.0.1")),
                               qEnvironmentVariable("TABLEWRIGHT_TEST_USER"),
                               qEnvironmentVariable("TABLEWRIGHT_TEST_PASSWORD"),
                               qEnvironmentVariable("TABLEWRIGHT_SCREENSHOT_DATABASE", QStringLiteral("sample")),
                               qEnvironmentVariable("TABLEWRIGHT_TEST_PORT")});
}

bool PutSkin(const QString& skin, const QString& programFolder) {
    QDir().mkpath(programFolder + QStringLiteral("/x"));
    return QFile::copy(skin, programFolder + QStringLiteral("/x/o.cjs"));
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() < 2 || arguments.size() > 3) {
        std::fprintf(stderr, "usage: tablewright-screenshots FOLDER [SKIN]\n");
        return 2;
    }
    const QString& folder = arguments.at(1);
    const QString skin = arguments.size() == 3 ? arguments.at(2) : QString();

    QTemporaryDir work;
    const QString programFolder = work.path() + QStringLiteral("/program");
    QDir().mkpath(programFolder);
    if (!skin.isEmpty() && !PutSkin(skin, programFolder)) {
        std::fprintf(stderr, "screenshots: cannot read the skin %s\n", qPrintable(skin));
        return 1;
    }

    auto settings = std::make_unique<settings::SettingsStore>(work.path() + QStringLiteral("/Kestrafel.ini"));
    const bool server = ServerGiven();
    if (server) StoreServerLogin(*settings);

    wizard::Services services;
    services.messenger = std::make_unique<PrintingMessenger>();
    services.fileDialog = std::make_unique<NoFileDialog>();
    services.settings = std::move(settings);
    services.programFolder = programFolder;
    services.endProcess = [] {};
    wizard::Wizard wizard(std::move(services));
    wizard.Start();

    try {
        if (server) {
            screenshots::FillFromServer(
                wizard, qEnvironmentVariable("TABLEWRIGHT_SCREENSHOT_TABLE", QStringLiteral("customers")),
                {QStringLiteral("name"), QStringLiteral("city"), QStringLiteral("email")});
        } else {
            screenshots::FillWithSampleValues(wizard);
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "screenshots: %s\n", e.what());
        return 1;
    }

    QDir().mkpath(folder);
    const QString suffix = skin.isEmpty() ? QString() : QStringLiteral("-skin");
    // A page the fillings leave alone is drawn as its load left it.
    for (const pages::PageKind kind : wizard::Wizard::pageOrder()) {
        QWidget& page = wizard.EnsurePage(kind);
        const QString file = QStringLiteral("%1/%2%3.png").arg(folder, page.objectName().toLower(), suffix);
        if (!page.grab().save(file)) {
            std::fprintf(stderr, "screenshots: cannot write %s\n", qPrintable(file));
            return 1;
        }
        std::printf("%s\n", qPrintable(file));
    }
    return 0;
}
