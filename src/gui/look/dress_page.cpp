#include <QWidget>

#include "look/face_colour.h"
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
    page->setFixedSize(look->clientSize);
    InstallHoverRules(page, look->hover);
}

}  // namespace look
