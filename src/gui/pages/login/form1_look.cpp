#include "pages/login/form1.h"

#include "look/page_look.h"

namespace pages {

using look::kHand;
using look::kNone;
using look::kReset;

// The login page's look: its own default font is regular, and the
// hover rule of each control that has one.
const look::PageLook& Form1::Look() {
    static const look::PageLook look{
        .boldPageFont = false,
        .hover = {{"PushButton5", kHand},
                  {"PushButton2", kHand},
                  {"PushButton3", kHand},
                  {"Text1", kReset},
                  {"Text2", kReset},
                  {"Text3", kReset},
                  {"Text4", kReset},
                  {"Frame1", kReset},
                  {"Text5", kNone},
                  {"Label1", kNone},
                  {"Label2", kNone},
                  {"Label3", kNone},
                  {"Label4", kNone},
                  {"Label9", kNone}},
    };
    return look;
}

}  // namespace pages
