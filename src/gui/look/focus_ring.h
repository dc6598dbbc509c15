#pragma once

class QWidget;

namespace look {

// Draws a ring in the highlight colour around a list or the preview grid of
// the page while it has the keyboard focus: the styles draw the focus of an
// item view faintly or not at all, and a skin may hide it altogether.
void DrawListFocus(QWidget* page);

}  // namespace look
