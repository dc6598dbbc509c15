#include "pages/keyboard.h"

#include <QKeyEvent>
#include <QPushButton>

namespace pages {
namespace {

class EnterPressesButton : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress) return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        if ((key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter) || key->modifiers() & ~Qt::KeypadModifier)
            return false;
        auto* button = qobject_cast<QPushButton*>(watched);
        if (button == nullptr || !button->isEnabled()) return false;
        if (!key->isAutoRepeat()) button->click();
        return true;
    }
};

}  // namespace

void PressButtonsWithEnter(QWidget* page) {
    auto* filter = new EnterPressesButton(page);  // owned by the page
    for (QPushButton* button : page->findChildren<QPushButton*>()) button->installEventFilter(filter);
}

}  // namespace pages
