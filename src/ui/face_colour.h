#pragma once

class QColor;
class QWidget;

namespace ui {

// Paints the page background and every frame, label, check box and option
// button on it in one colour. Text boxes, lists and buttons keep their own.
void PaintPageFaces(QWidget* page, const QColor& colour);

// The colours of a page as laid out: white.
void ApplyDesignColours(QWidget* page);

}  // namespace ui
