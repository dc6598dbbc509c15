#pragma once

#include <vector>

#include <QPointer>
#include <QWidget>

namespace pages {

// Controls that can do nothing while a page waits look it: they are
// disabled for as long as this lives and enabled again when it goes. Only
// the controls it disabled itself come back, and the focus returns to the
// one of them that had it, unless it has been given elsewhere meanwhile.
class IdleControls {
public:
    explicit IdleControls(const std::vector<QWidget*>& controls);
    ~IdleControls();
    IdleControls(const IdleControls&) = delete;
    IdleControls& operator=(const IdleControls&) = delete;

private:
    std::vector<QPointer<QWidget>> disabled_;
    QPointer<QWidget> focused_;
    QPointer<QWidget> focusMovedTo_;
};

}  // namespace pages
