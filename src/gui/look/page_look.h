#pragma once

#include <vector>

namespace look {

// What a move of the mouse over a control does to the page pointer.
enum class HoverRule {
    Hand,   // push buttons: the hand, unless the hourglass shows
    Reset,  // the default pointer, unless the hourglass shows
    None,   // the pointer stays as it is
};

// Short names for the pages' tables of hover rules.
inline constexpr HoverRule kHand = HoverRule::Hand;
inline constexpr HoverRule kReset = HoverRule::Reset;
inline constexpr HoverRule kNone = HoverRule::None;

struct ControlHover {
    const char* control;  // object name
    HoverRule rule;
};

// The look of one wizard page: whether its own default font is bold, and
// the hover rule of each control that has one (the page background always
// has the reset rule). Its fixed size is the one its .ui file lays it out at.
// Every page hands its own to the page base class (pages::WizardPage).
struct PageLook {
    bool boldPageFont;
    std::vector<ControlHover> hover;
};

}  // namespace look
