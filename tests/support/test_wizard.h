#pragma once

#include <memory>
#include <vector>

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include "app/messenger.h"
#include "db/login_values.h"
#include "wizard/file_dialog.h"
#include "wizard/wizard.h"

namespace pages {
class Form1;
}

namespace testing_support {

// Types the login values into the login page's five boxes.
void FillLogin(pages::Form1& login, const db::LoginValues& values);

// A list of texts from literals: Texts({"id", "name"}).
QStringList Texts(std::initializer_list<const char*> items);

// Where an error report says a step failed: "Form2.PushButton3_Click at line
// 124" for AtLine("Form2.PushButton3_Click", table_steps::kNextReadPreview).
inline QString AtLine(const char* pageAndHandler, int label) {
    return QStringLiteral("%1 at line %2").arg(QLatin1String(pageAndHandler)).arg(label);
}

struct RecordedMessage {
    QString title;
    QString text;
    app::MessageIcon icon;
    // The class of each window on screen while the box was up.
    QStringList windowsOnScreen;
};

// The class names of the top-level windows on screen.
QStringList WindowsOnScreen();

// Records every message box instead of showing it.
class RecordingMessenger : public app::Messenger {
public:
    void Show(const QString& title, const QString& text, app::MessageIcon icon) override {
        messages.push_back({title, text, icon, WindowsOnScreen()});
    }
    std::vector<RecordedMessage> messages;
};

// Records every save-dialog request and answers with the next queued name
// (the empty text, a cancel, once the queue is empty).
class RecordingFileDialog : public wizard::FileDialog {
public:
    QString GetSaveFileName(QWidget*, const QString& title, const QStringList& filters) override {
        titles.push_back(title);
        lastFilters = filters;
        return answers.isEmpty() ? QString() : answers.takeFirst();
    }
    QStringList answers;
    QStringList titles;
    QStringList lastFilters;
};

// A wizard with recording message boxes, a settings store and a program
// folder in a temporary folder of its own.
class TestWizard {
public:
    TestWizard();
    // Settings to be found by start-up, written before the wizard exists.
    explicit TestWizard(const db::LoginValues& stored);
    // Reading the table list, the columns and the preview gives up sooner.
    explicit TestWizard(unsigned readingWaitSeconds);

    wizard::Wizard& wizard() { return *wizard_; }
    // Starts the wizard and waits until the sign-in it may start has ended.
    void Start();
    // Waits until no database action of the pages runs (at most 40 s, longer
    // than any of their bounds); false when one still runs.
    bool Settle();
    RecordingMessenger& messages() { return *messenger_; }
    RecordingFileDialog& dialog() { return *dialog_; }
    QString folder() const { return dir_.path(); }
    QString settingsPath() const { return dir_.path() + QStringLiteral("/config/Kestrafel.ini"); }
    int endProcessCalls() const { return *endCalls_; }

private:
    void Build(unsigned readingWaitSeconds = 30);

    QTemporaryDir dir_;
    RecordingMessenger* messenger_ = nullptr;
    RecordingFileDialog* dialog_ = nullptr;
    std::shared_ptr<int> endCalls_ = std::make_shared<int>(0);
    std::unique_ptr<wizard::Wizard> wizard_;
};

}  // namespace testing_support
