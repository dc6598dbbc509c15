#include "pages/idle_controls.h"

namespace pages {

IdleControls::IdleControls(const std::vector<QWidget*>& controls) {
    QWidget* focused = nullptr;
    for (QWidget* control : controls) {
        if (control == nullptr || !control->isEnabled()) continue;
        if (control->hasFocus()) focused = control;
        disabled_.emplace_back(control);
    }
    for (const QPointer<QWidget>& control : disabled_) control->setEnabled(false);
    if (focused != nullptr) {
        focused_ = focused;
        focusMovedTo_ = focused->window()->focusWidget();
    }
}

IdleControls::~IdleControls() {
    for (const QPointer<QWidget>& control : disabled_)
        if (control) control->setEnabled(true);
    // Disabling moved the focus on to the next control; it comes back when
    // nothing else has taken it meanwhile.
    if (focused_ && focused_->window()->focusWidget() == focusMovedTo_) focused_->setFocus();
}

}  // namespace pages
