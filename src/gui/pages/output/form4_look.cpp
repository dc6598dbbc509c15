#include "pages/output/form4.h"

#include "look/page_look.h"

namespace pages {

using look::kHand;
using look::kNone;
using look::kReset;

// The output page's look: its own default font is bold, and the hover
// rule of each control that has one.
const look::PageLook& Form4::Look() {
    static const look::PageLook look{
        .boldPageFont = true,
        .hover = {{"PushButton2", kHand},
                  {"PushButton3", kHand},
                  {"PushButton4", kHand},
                  {"Text1", kReset},
                  {"Frame1", kReset},
                  {"Frame2", kReset},
                  {"Frame3", kReset},
                  {"Text2", kNone},
                  {"Check6", kNone},
                  {"ProgressBar1", kNone}},
    };
    return look;
}

}  // namespace pages
