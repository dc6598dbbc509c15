#include "wizard/message_box.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>

namespace wizard {

QString MessageBoxMessenger::DisplayText(const QString& text) {
    QString display = text;
    display.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    display.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return display;
}

void MessageBoxMessenger::Show(const QString& title, const QString& text, app::MessageIcon icon) {
    QMessageBox box(icon == app::MessageIcon::Warning ? QMessageBox::Warning : QMessageBox::NoIcon, title,
                    DisplayText(text), QMessageBox::Ok, QApplication::activeWindow());
    box.setTextFormat(Qt::PlainText);
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
}

QString QtFileDialog::GetSaveFileName(QWidget* parent, const QString& title, const QStringList& filters) {
    QFileDialog dialog(parent, title);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    dialog.setNameFilters(filters);
    if (!filters.isEmpty()) dialog.selectNameFilter(filters.first());
    if (!lastChosen_.isEmpty()) dialog.selectFile(lastChosen_);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return QString();
    lastChosen_ = dialog.selectedFiles().constFirst();
    return lastChosen_;
}

}  // namespace wizard
