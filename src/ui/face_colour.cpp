#include "ui/face_colour.h"

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPalette>
#include <QRadioButton>

#include "ui/look.h"

namespace ui {
namespace {

bool ShowsPageBackground(const QWidget* control) {
    return qobject_cast<const QGroupBox*>(control) != nullptr || qobject_cast<const QLabel*>(control) != nullptr ||
           qobject_cast<const QCheckBox*>(control) != nullptr ||
           qobject_cast<const QRadioButton*>(control) != nullptr;
}

void PaintBackground(QWidget* widget, const QColor& colour) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, colour);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

}  // namespace

void PaintPageFaces(QWidget* page, const QColor& colour) {
    PaintBackground(page, colour);
    for (QWidget* control : page->findChildren<QWidget*>()) {
        if (ShowsPageBackground(control)) PaintBackground(control, colour);
    }
}

void ApplyDesignColours(QWidget* page) { PaintPageFaces(page, Qt::white); }

void ApplyFaceColour(QWidget* page) { PaintPageFaces(page, QApplication::palette().color(QPalette::Button)); }

}  // namespace ui
