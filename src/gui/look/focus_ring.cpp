#include "look/focus_ring.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QFocusFrame>
#include <QPainter>

namespace look {
namespace {

// Qt's focus frame follows the view as it moves and keeps to the thin ring
// around it; only its colour is the page's own.
class FocusRing : public QFocusFrame {
public:
    using QFocusFrame::QFocusFrame;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(rect(), palette().color(QPalette::Active, QPalette::Highlight));
    }
};

}  // namespace

void DrawListFocus(QWidget* page) {
    auto* ring = new FocusRing(page);  // owned by the page
    ring->setObjectName(QStringLiteral("ListFocusRing"));
    ring->hide();
    QObject::connect(qApp, &QApplication::focusChanged, ring, [page, ring](QWidget*, QWidget* now) {
        auto* view = qobject_cast<QAbstractItemView*>(now);
        ring->setWidget(view != nullptr && view->window() == page ? view : nullptr);
    });
}

}  // namespace look
