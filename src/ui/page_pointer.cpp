#include "ui/page_pointer.h"

#include <QCursor>
#include <QVariant>
#include <QWidget>

namespace ui {
namespace {
constexpr char kPointerProperty[] = "tablewrightPagePointer";
constexpr char kCustomCursorProperty[] = "tablewrightCustomCursor";

QCursor CursorFor(const QWidget* page, int pointer) {
    switch (pointer) {
    case kHourglass:
        return QCursor(Qt::WaitCursor);
    case kCustomPointer: {
        const QVariant custom = page->property(kCustomCursorProperty);
        if (custom.canConvert<QCursor>()) return custom.value<QCursor>();
        return QCursor(Qt::ArrowCursor);
    }
    default:
        return QCursor(Qt::ArrowCursor);
    }
}
}  // namespace

void SetPagePointer(QWidget* page, int pointer) {
    if (GetPagePointer(page) == pointer && page->property(kPointerProperty).isValid()) return;
    page->setProperty(kPointerProperty, pointer);
    if (pointer == kDefaultPointer) {
        // Every control shows its own ordinary pointer again (the text beam
        // over text boxes).
        page->unsetCursor();
        for (QWidget* child : page->findChildren<QWidget*>()) child->unsetCursor();
        return;
    }
    const QCursor cursor = CursorFor(page, pointer);
    page->setCursor(cursor);
    for (QWidget* child : page->findChildren<QWidget*>()) child->setCursor(cursor);
}

void SetCustomPointerImage(QWidget* page, const QCursor& image) {
    page->setProperty(kCustomCursorProperty, QVariant::fromValue(image));
}

bool HasCustomPointerImage(const QWidget* page) {
    return page->property(kCustomCursorProperty).canConvert<QCursor>();
}

int GetPagePointer(const QWidget* page) {
    const QVariant value = page->property(kPointerProperty);
    return value.isValid() ? value.toInt() : kDefaultPointer;
}

HourglassPointer::HourglassPointer(QWidget* page) : page_(page) { SetPagePointer(page_, kHourglass); }

HourglassPointer::~HourglassPointer() { SetPagePointer(page_, kDefaultPointer); }

}  // namespace ui
