#include "look/page_pointer.h"

#include <QCursor>
#include <QVariant>
#include <QWidget>

namespace look {
namespace {
constexpr char kPointerProperty[] = "tablewrightPagePointer";
constexpr char kCustomCursorProperty[] = "tablewrightCustomCursor";
// A control's own pointer (the text beam of a text box), kept while the page
// pointer covers it; false when it had none.
constexpr char kOwnCursorProperty[] = "tablewrightOwnCursor";

QCursor CursorFor(const QWidget* page, int pointer) {
    switch (pointer) {
    case kHourglass: return QCursor(Qt::WaitCursor);
    case kCustomPointer: {
        const QVariant custom = page->property(kCustomCursorProperty);
        if (custom.canConvert<QCursor>()) return custom.value<QCursor>();
        return QCursor(Qt::ArrowCursor);
    }
    default: return QCursor(Qt::ArrowCursor);
    }
}
void Cover(QWidget* widget, const QCursor& cursor) {
    if (!widget->property(kOwnCursorProperty).isValid()) {
        widget->setProperty(kOwnCursorProperty, widget->testAttribute(Qt::WA_SetCursor)
                                                    ? QVariant::fromValue(widget->cursor())
                                                    : QVariant(false));
    }
    widget->setCursor(cursor);
}

void Uncover(QWidget* widget) {
    const QVariant own = widget->property(kOwnCursorProperty);
    if (!own.isValid()) return;
    if (own.metaType() == QMetaType::fromType<QCursor>()) {
        widget->setCursor(own.value<QCursor>());
    } else {
        widget->unsetCursor();
    }
    widget->setProperty(kOwnCursorProperty, QVariant());
}

}  // namespace

void SetPagePointer(QWidget* page, int pointer) {
    if (GetPagePointer(page) == pointer && page->property(kPointerProperty).isValid()) return;
    page->setProperty(kPointerProperty, pointer);
    if (pointer == kDefaultPointer) {
        // Every control shows its own ordinary pointer again (the text beam
        // over text boxes).
        Uncover(page);
        for (QWidget* child : page->findChildren<QWidget*>()) Uncover(child);
        return;
    }
    const QCursor cursor = CursorFor(page, pointer);
    Cover(page, cursor);
    for (QWidget* child : page->findChildren<QWidget*>()) Cover(child, cursor);
}

void SetCustomPointerImage(QWidget* page, const QCursor& image) {
    page->setProperty(kCustomCursorProperty, QVariant::fromValue(image));
}

bool HasCustomPointerImage(const QWidget* page) { return page->property(kCustomCursorProperty).canConvert<QCursor>(); }

int GetPagePointer(const QWidget* page) {
    const QVariant value = page->property(kPointerProperty);
    return value.isValid() ? value.toInt() : kDefaultPointer;
}

HourglassPointer::HourglassPointer(QWidget* page) : page_(page) { SetPagePointer(page_, kHourglass); }

HourglassPointer::~HourglassPointer() { SetPagePointer(page_, kDefaultPointer); }

}  // namespace look
