#include "look/page_pointer.h"

#include <QCursor>
#include <QEvent>
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

// During the hourglass a disabled control carries no pointer of its own: Qt
// shows the plain arrow over a disabled control that has one, while one that
// has none shows the pointer of the enabled control around it, the page at
// last. So the hourglass shows also over the button whose press started the
// wait and is disabled for its length.
bool ShowsOwnPointer(const QWidget* widget, int pointer) { return pointer != kHourglass || widget->isEnabled(); }

void Cover(QWidget* widget, const QCursor& cursor, int pointer) {
    if (!widget->property(kOwnCursorProperty).isValid()) {
        widget->setProperty(kOwnCursorProperty, widget->testAttribute(Qt::WA_SetCursor)
                                                    ? QVariant::fromValue(widget->cursor())
                                                    : QVariant(false));
    }
    if (ShowsOwnPointer(widget, pointer))
        widget->setCursor(cursor);
    else
        widget->unsetCursor();
}

// Covers a control again when it is enabled or disabled while the page
// pointer covers it.
class EnabledChangeWatch : public QObject {
public:
    explicit EnabledChangeWatch(QWidget* page) : QObject(page), page_(page) {
        setObjectName(QLatin1String(kEnabledWatchName));
    }

    static EnabledChangeWatch* Of(QWidget* page) {
        if (auto* watch = page->findChild<QObject*>(QLatin1String(kEnabledWatchName), Qt::FindDirectChildrenOnly))
            return static_cast<EnabledChangeWatch*>(watch);
        return new EnabledChangeWatch(page);  // owned by the page
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::EnabledChange && watched->property(kOwnCursorProperty).isValid()) {
            const int pointer = GetPagePointer(page_);
            Cover(static_cast<QWidget*>(watched), CursorFor(page_, pointer), pointer);
        }
        return false;
    }

private:
    static constexpr char kEnabledWatchName[] = "tablewrightEnabledWatch";
    QWidget* page_;
};

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
    EnabledChangeWatch* watch = EnabledChangeWatch::Of(page);
    Cover(page, cursor, pointer);
    for (QWidget* child : page->findChildren<QWidget*>()) {
        Cover(child, cursor, pointer);
        child->installEventFilter(watch);
    }
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
