#include "ui/look.h"

#include <stdexcept>

#include <QApplication>
#include <QCheckBox>
#include <QCursor>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QPalette>
#include <QPixmap>
#include <QRadioButton>
#include <QWidget>

namespace ui {

void ApplySkin(QWidget* loginPage, const QString& programFolder) {
    const QString path = programFolder + QStringLiteral("/x/o.cjs");
    if (!QFileInfo(path).isFile()) return;
    ApplyFaceColour(loginPage);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error(file.errorString().toStdString());
    qApp->setStyleSheet(QString::fromUtf8(file.readAll()));
}

void ApplyFaceColour(QWidget* page) {
    const QColor face = QApplication::palette().color(QPalette::Button);
    auto paint = [&](QWidget* w) {
        QPalette p = w->palette();
        p.setColor(QPalette::Window, face);
        w->setPalette(p);
        w->setAutoFillBackground(true);
    };
    paint(page);
    for (QWidget* child : page->findChildren<QWidget*>()) {
        if (qobject_cast<QGroupBox*>(child) || qobject_cast<QLabel*>(child) ||
            qobject_cast<QCheckBox*>(child) || qobject_cast<QRadioButton*>(child))
            paint(child);
    }
}

QIcon ProgramIcon() { return QIcon(); }

QString HandCursorPath(const QString& programFolder) {
    return programFolder + QStringLiteral("/HAND-M.CUR");
}

void LoadHandCursor(QWidget* page, const QString& path) {
    QPixmap image;
    if (!image.load(path))
        throw std::runtime_error("The cursor file " + path.toStdString() + " could not be loaded.");
    page->setProperty("tablewrightCustomCursor", QVariant::fromValue(QCursor(image, 0, 0)));
}

void DressPage(QWidget*) {}

}  // namespace ui
