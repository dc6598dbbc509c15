#pragma once

#include <vector>

#include <QHash>
#include <QObject>

#include "look/page_look.h"

class QWidget;

namespace look {

// The hover rules of one page: a mouse move over a watched control sets the
// page pointer to the hand or back to the default, and never replaces the
// hourglass. Each watched control keeps its mouse moves to itself, so that a
// move over a control without a rule does not reach the frame or page
// around it.
class HoverRules : public QObject {
    Q_OBJECT

public:
    // Watches the page itself with the reset rule. Owned by the page.
    explicit HoverRules(QWidget* page);

    void Watch(QWidget* control, HoverRule rule);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Track(QWidget* receiver, HoverRule rule);

    QWidget* page_;
    QHash<const QObject*, HoverRule> rules_;
};

// Gives the page its hover rules; controls it does not have are passed over.
void InstallHoverRules(QWidget* page, const std::vector<ControlHover>& rules);

}  // namespace look
