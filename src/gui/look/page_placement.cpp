#include "look/page_placement.h"

#include <algorithm>

#include <QWidget>
#include <QWindow>

namespace look {
namespace {

// The start of a span of `length` on the line from `low` to `high` (both
// included), as near to `wanted` as fits; the low end when it does not fit.
int KeptInside(int wanted, int length, int low, int high) { return std::max(low, std::min(wanted, high + 1 - length)); }

}  // namespace

QPoint PlacedFrameTopLeft(const QRect& replacedFrame, const QSize& frameSize, const QRect& available) {
    QRect placed(QPoint(0, 0), frameSize);
    placed.moveCenter(replacedFrame.center());
    return {KeptInside(placed.left(), frameSize.width(), available.left(), available.right()),
            KeptInside(placed.top(), frameSize.height(), available.top(), available.bottom())};
}

bool IsPlaced(const QWidget* window) {
    const QWindow* handle = window->windowHandle();
    return handle != nullptr && handle->isExposed();
}

QMargins FrameMargins(const QRect& frame, const QRect& client) {
    return {client.left() - frame.left(), client.top() - frame.top(), frame.right() - client.right(),
            frame.bottom() - client.bottom()};
}

}  // namespace look
