#include "look/page_looks.h"

#include <array>

namespace look {
namespace {

constexpr HoverRule kHand = HoverRule::Hand;
constexpr HoverRule kReset = HoverRule::Reset;
constexpr HoverRule kNone = HoverRule::None;

const std::array<PageLook, 4>& PageLooks() {
    static const std::array<PageLook, 4> looks{{
        {"Form1",  // login
         false,
         {{"PushButton5", kHand},
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
          {"Label9", kNone}}},
        {"Form2",  // table
         true,
         {{"PushButton2", kHand}, {"PushButton3", kHand}, {"List1", kReset}, {"Frame1", kReset}}},
        {"Form3",  // fields
         true,
         {{"PushButton2", kHand},
          {"PushButton3", kHand},
          {"PushButton5", kHand},
          {"PushButton6", kHand},
          {"PushButton7", kHand},
          {"PushButton8", kHand},
          {"Label1", kReset},
          {"Label2", kReset},
          {"List1", kReset},
          {"List2", kReset},
          {"DataGrid1", kReset}}},
        {"Form4",  // output
         true,
         {{"PushButton2", kHand},
          {"PushButton3", kHand},
          {"PushButton4", kHand},
          {"Text1", kReset},
          {"Frame1", kReset},
          {"Frame2", kReset},
          {"Frame3", kReset},
          {"Text2", kNone},
          {"Check6", kNone},
          {"ProgressBar1", kNone}}},
    }};
    return looks;
}

}  // namespace

const PageLook* FindPageLook(const QString& pageName) {
    for (const PageLook& look : PageLooks()) {
        if (pageName == QLatin1String(look.page)) return &look;
    }
    return nullptr;
}

}  // namespace look
