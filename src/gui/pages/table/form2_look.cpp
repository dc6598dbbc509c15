#include "pages/table/form2.h"

#include "look/page_look.h"

namespace pages {

using look::kHand;
using look::kReset;

// The table page's look: its own default font is bold, and the hover
// rule of each control that has one.
const look::PageLook& Form2::Look() {
    static const look::PageLook look{
        .boldPageFont = true,
        .hover = {{"PushButton2", kHand}, {"PushButton3", kHand}, {"List1", kReset}, {"Frame1", kReset}},
    };
    return look;
}

}  // namespace pages
