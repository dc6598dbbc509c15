#include <QWidget>

#include "ui/face_colour.h"
#include "ui/hover_rules.h"
#include "ui/look.h"
#include "ui/page_looks.h"
#include "ui/typography.h"

namespace ui {

void DressPage(QWidget* page) {
    ApplyDesignColours(page);
    const PageLook* look = FindPageLook(page->objectName());
    ApplyTypography(page, look == nullptr || look->boldPageFont);
    if (look == nullptr) return;
    page->setFixedSize(look->clientSize);
    InstallHoverRules(page, look->hover);
}

}  // namespace ui
