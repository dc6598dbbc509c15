#pragma once

class QWidget;

namespace pages {

// The page's keys:
// - Enter and Return on a focused push button press it, as Space does;
// - Enter and Return in a text box, or on the table list, press the page's
//   "Next >", and a double-click on a table presses it too;
// - the focus is drawn from the moment the page opens, not only once a key
//   has moved it.
// No button becomes the page's default button, and a press goes through the
// button, so a disabled one is not pressed.
void InstallPageKeys(QWidget* page);

}  // namespace pages
