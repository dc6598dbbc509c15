#pragma once

class QWidget;

namespace pages {

// Enter and Return on a focused push button of the page press it, as Space
// does. No button becomes the page's default button.
void PressButtonsWithEnter(QWidget* page);

}  // namespace pages
