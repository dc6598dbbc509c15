#include "wizard/message_box.h"

#include <QApplication>
#include <QFileDialog>
#include <QFontMetrics>
#include <QGridLayout>
#include <QMessageBox>

namespace wizard {
namespace {

// Room for the window manager's title bar beside the title: its icon and
// buttons.
constexpr int kTitleBarRoom = 120;

// A short message ("Connection successful.") makes a box narrower than its
// title, which the window manager then cuts ("Tabl...right"): the box is
// held at least as wide as the title and the title bar's buttons need.
void KeepTitleWhole(QMessageBox& box) {
    auto* grid = qobject_cast<QGridLayout*>(box.layout());
    if (grid == nullptr) return;
    QFont titleFont = box.font();
    titleFont.setBold(true);
    const int width = QFontMetrics(titleFont).horizontalAdvance(box.windowTitle()) + kTitleBarRoom;
    // The layout owns the item.
    grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Minimum), grid->rowCount(), 0, 1,
                  grid->columnCount());
}

// The window a box stands over: the active one, or, when that has just been
// hidden (a page that handed over to the next before the box came), the
// window on screen.
QWidget* BoxOwner() {
    QWidget* active = QApplication::activeWindow();
    if (active != nullptr && active->isVisible()) return active;
    for (QWidget* window : QApplication::topLevelWidgets())
        if (window->windowType() == Qt::Window && window->isVisible()) return window;
    return nullptr;
}

}  // namespace

QString MessageBoxMessenger::DisplayText(const QString& text) {
    QString display = text;
    display.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    display.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return display;
}

void MessageBoxMessenger::Show(const QString& title, const QString& text, app::MessageIcon icon) {
    QMessageBox box(icon == app::MessageIcon::Warning ? QMessageBox::Warning : QMessageBox::NoIcon, title,
                    DisplayText(text), QMessageBox::Ok, BoxOwner());
    box.setTextFormat(Qt::PlainText);
    box.setWindowModality(Qt::ApplicationModal);
    KeepTitleWhole(box);
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
