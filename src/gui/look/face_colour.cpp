#include "look/face_colour.h"

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPalette>
#include <QRadioButton>

#include "look/look.h"

namespace look {
namespace {

// Frames fill their background. Labels, check boxes and option buttons take
// the colour too but let the frame or page under them show through, so that
// they sit seamlessly on a frame's panel, which some styles tint.
enum class Surface { Filled, SeeThrough, Own };

Surface SurfaceOf(const QWidget* control) {
    if (qobject_cast<const QGroupBox*>(control) != nullptr) return Surface::Filled;
    if (qobject_cast<const QLabel*>(control) != nullptr || qobject_cast<const QCheckBox*>(control) != nullptr ||
        qobject_cast<const QRadioButton*>(control) != nullptr)
        return Surface::SeeThrough;
    return Surface::Own;
}

void PaintBackground(QWidget* widget, const QColor& colour, Surface surface) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, colour);
    widget->setPalette(palette);
    widget->setAutoFillBackground(surface == Surface::Filled);
}

}  // namespace

void PaintPageFaces(QWidget* page, const QColor& colour) {
    PaintBackground(page, colour, Surface::Filled);
    for (QWidget* control : page->findChildren<QWidget*>()) {
        const Surface surface = SurfaceOf(control);
        if (surface != Surface::Own) PaintBackground(control, colour, surface);
    }
}

void ApplyDesignColours(QWidget* page) { PaintPageFaces(page, Qt::white); }

void ApplyFaceColour(QWidget* page) { PaintPageFaces(page, QApplication::palette().color(QPalette::Button)); }

}  // namespace look
