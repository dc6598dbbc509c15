#pragma once

#include <QMargins>
#include <QPoint>
#include <QRect>
#include <QSize>

class QWidget;

namespace look {

// Whether the window manager has placed the window: it is on screen, so its
// place and frame can be read. Until then a window just shown stands where
// it was made (often the top left corner).
bool IsPlaced(const QWidget* window);

// Where the frame of a page that replaces another goes: centred on the frame
// of the page it replaces, then moved into the screen's available area, so
// that its title bar can always be reached. A frame larger than the area
// keeps its top left corner in it.
QPoint PlacedFrameTopLeft(const QRect& replacedFrame, const QSize& frameSize, const QRect& available);

// The window manager's frame around a page's client area. A page that has
// not been on screen yet has no frame to read; it will get the one the
// page it replaces has.
QMargins FrameMargins(const QRect& frame, const QRect& client);

}  // namespace look
