#include "look/hover_rules.h"

#include <QAbstractScrollArea>
#include <QEvent>
#include <QHeaderView>
#include <QTableView>
#include <QWidget>

#include "look/page_pointer.h"

namespace look {

HoverRules::HoverRules(QWidget* page) : QObject(page), page_(page) { Track(page, HoverRule::Reset); }

void HoverRules::Watch(QWidget* control, HoverRule rule) {
    control->setAttribute(Qt::WA_NoMousePropagation);
    if (rule == HoverRule::None) return;
    Track(control, rule);
    // Lists and the grid get their mouse moves on their viewports, and the
    // grid's headings belong to the grid.
    if (auto* area = qobject_cast<QAbstractScrollArea*>(control)) Track(area->viewport(), rule);
    if (auto* grid = qobject_cast<QTableView*>(control)) {
        for (QHeaderView* heading : {grid->horizontalHeader(), grid->verticalHeader()}) {
            Track(heading, rule);
            Track(heading->viewport(), rule);
        }
    }
}

void HoverRules::Track(QWidget* receiver, HoverRule rule) {
    receiver->setMouseTracking(true);
    receiver->installEventFilter(this);
    rules_.insert(receiver, rule);
}

bool HoverRules::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseMove) {
        const auto rule = rules_.constFind(watched);
        if (rule != rules_.cend() && GetPagePointer(page_) != kHourglass)
            SetPagePointer(page_, *rule == HoverRule::Hand ? kCustomPointer : kDefaultPointer);
    }
    return QObject::eventFilter(watched, event);
}

void InstallHoverRules(QWidget* page, const std::vector<ControlHover>& rules) {
    auto* hover = new HoverRules(page);  // owned by the page
    for (const ControlHover& entry : rules) {
        if (auto* control = page->findChild<QWidget*>(QLatin1String(entry.control))) hover->Watch(control, entry.rule);
    }
}

}  // namespace look
