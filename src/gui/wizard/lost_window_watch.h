#pragma once

#include <functional>

#include <QAbstractNativeEventFilter>
#include <QWidget>

namespace wizard {

// Notices a page's window that another program destroyed (an X client's
// XDestroyWindow, `xdotool windowclose`): the window manager never asks such
// a window to close, so without this the program would go on with no window.
// The page is then closed as if its close box had been pressed, which ends
// the program. Installed on the application for as long as it lives; other
// windowing systems never send the event it watches for.
class LostWindowWatch : public QAbstractNativeEventFilter {
public:
    // `pageOfWindow` names the page whose native window has this id, if any.
    explicit LostWindowWatch(std::function<QWidget*(WId)> pageOfWindow);
    ~LostWindowWatch() override;
    LostWindowWatch(const LostWindowWatch&) = delete;
    LostWindowWatch& operator=(const LostWindowWatch&) = delete;

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

private:
    std::function<QWidget*(WId)> pageOfWindow_;
};

}  // namespace wizard
