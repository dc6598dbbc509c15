#include "pages/fields/form3.h"

#include "look/page_look.h"

namespace pages {

using look::kHand;
using look::kReset;

// The field page's look: its own default font is bold, and the hover
// rule of each control that has one.
const look::PageLook& Form3::Look() {
    static const look::PageLook look{
        .boldPageFont = true,
        .hover = {{"PushButton2", kHand},
                  {"PushButton3", kHand},
                  {"PushButton5", kHand},
                  {"PushButton6", kHand},
                  {"PushButton7", kHand},
                  {"PushButton8", kHand},
                  {"Label1", kReset},
                  {"Label2", kReset},
                  {"List1", kReset},
                  {"List2", kReset},
                  {"DataGrid1", kReset}},
    };
    return look;
}

}  // namespace pages
