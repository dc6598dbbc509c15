#pragma once

class QColor;
class QWidget;

namespace look {

// Gives the page and every frame, label, check box and option button on it
// one background colour: the page and frames fill with it, the others show
// what they sit on. Text boxes, lists and buttons keep their own colours.
void PaintPageFaces(QWidget* page, const QColor& colour);

// The colours of a page as laid out: white.
void ApplyDesignColours(QWidget* page);

}  // namespace look
