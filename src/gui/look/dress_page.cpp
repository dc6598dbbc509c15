#include <QWidget>

#include "look/face_colour.h"
#include "look/focus_ring.h"
#include "look/hover_rules.h"
#include "look/look.h"
#include "look/page_looks.h"
#include "look/typography.h"

namespace look {

void DressPage(QWidget* page) {
    ApplyDesignColours(page);
    const PageLook* look = FindPageLook(page->objectName());
    ApplyTypography(page, look == nullptr || look->boldPageFont);
    if (look == nullptr) return;
    // The size the page's form laid it out at stays its size.
    page->setFixedSize(page->size());
    InstallHoverRules(page, look->hover);
    DrawListFocus(page);
}

}  // namespace look
