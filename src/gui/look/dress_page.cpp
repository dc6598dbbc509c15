#include <QWidget>

#include "look/face_colour.h"
#include "look/focus_ring.h"
#include "look/hover_rules.h"
#include "look/look.h"
#include "look/page_look.h"
#include "look/typography.h"

namespace look {

void DressPage(QWidget* page, const PageLook& look) {
    ApplyDesignColours(page);
    ApplyTypography(page, look.boldPageFont);
    // The size the page's form laid it out at stays its size.
    page->setFixedSize(page->size());
    InstallHoverRules(page, look.hover);
    DrawListFocus(page);
}

}  // namespace look
