#pragma once

#include "app/messenger.h"
#include "wizard/file_dialog.h"

namespace wizard {

// Message boxes as the desktop shows them: QMessageBox, modal, OK only.
class MessageBoxMessenger : public app::Messenger {
public:
    void Show(const QString& title, const QString& text, app::MessageIcon icon) override;
    // The texts keep bare CRs and CR LF pairs; a person should see each as one
    // line break.
    static QString DisplayText(const QString& text);
};

// The save dialog as the desktop shows it. It remembers the name chosen
// earlier in this run, as one dialog component would.
class QtFileDialog : public FileDialog {
public:
    QString GetSaveFileName(QWidget* parent, const QString& title, const QStringList& filters) override;

private:
    QString lastChosen_;
};

}  // namespace wizard
