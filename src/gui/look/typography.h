#pragma once

#include <QFont>

class QWidget;

namespace look {

// Arial (Liberation Sans where fontconfig stands in for it) in the sizes of
// the pages: 11.25 pt bold on push buttons, 9 pt bold for all other text.
QFont ButtonFont();
QFont TextFont();
// A page's own default font, which controls without a font of their own take.
QFont PageFont(bool bold);

// Sets the page's default font and gives every control on it its own font.
void ApplyTypography(QWidget* page, bool boldPageFont);

}  // namespace look
