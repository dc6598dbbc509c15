#include "pages/keyboard.h"

#include <vector>

#include <QHash>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

namespace pages {
namespace {

// The button that Enter presses from a page's text boxes and lists, and the
// lists that press it on Enter and on a double-click. The output page has
// none: Enter there starts nothing.
struct ForwardKeys {
    const char* page;
    const char* button;
    std::vector<const char*> lists;
};

const ForwardKeys kForwardKeys[] = {
    {"Form1", "PushButton3", {}},         // "Next >"
    {"Form2", "PushButton3", {"List1"}},  // "Next >" from the table list
};

bool IsEnter(const QKeyEvent& key) {
    return (key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter) && !(key.modifiers() & ~Qt::KeypadModifier);
}

// Enter on a watched control presses its button.
class EnterPresses : public QObject {
public:
    explicit EnterPresses(QWidget* page) : QObject(page), page_(page) { page->installEventFilter(this); }

    void Watch(QWidget* control, QPushButton* button) {
        control->installEventFilter(this);
        buttons_.insert(control, button);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == page_) {
            // Qt draws the focus only once a key has moved it; the pages are
            // worked with the keyboard from the start.
            if (event->type() == QEvent::Show) page_->setAttribute(Qt::WA_KeyboardFocusChange);
            return false;
        }
        if (event->type() != QEvent::KeyPress || !IsEnter(*static_cast<QKeyEvent*>(event))) return false;
        QPushButton* button = buttons_.value(watched);
        if (button == nullptr) return false;
        if (!static_cast<QKeyEvent*>(event)->isAutoRepeat()) button->click();
        return true;
    }

private:
    QWidget* page_;
    QHash<const QObject*, QPushButton*> buttons_;
};

}  // namespace

void InstallPageKeys(QWidget* page) {
    auto* enter = new EnterPresses(page);  // owned by the page
    for (QPushButton* button : page->findChildren<QPushButton*>()) enter->Watch(button, button);
    for (const ForwardKeys& keys : kForwardKeys) {
        if (page->objectName() != QLatin1String(keys.page)) continue;
        auto* forward = page->findChild<QPushButton*>(QLatin1String(keys.button));
        if (forward == nullptr) continue;
        for (QLineEdit* box : page->findChildren<QLineEdit*>()) enter->Watch(box, forward);
        for (const char* name : keys.lists) {
            auto* list = page->findChild<QListWidget*>(QLatin1String(name));
            if (list == nullptr) continue;
            enter->Watch(list, forward);
            QObject::connect(list, &QListWidget::itemDoubleClicked, forward, &QPushButton::click);
        }
    }
}

}  // namespace pages
