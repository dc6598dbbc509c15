#include "wizard/lost_window_watch.h"

#include <cstdint>

#include <QCoreApplication>
#include <QMetaObject>
#include <QPointer>

namespace wizard {
namespace {

// The X protocol's DestroyNotify event as the xcb platform hands it over
// (xcb_destroy_notify_event_t); the protocol fixes its layout.
struct DestroyNotify {
    std::uint8_t responseType;
    std::uint8_t pad0;
    std::uint16_t sequence;
    std::uint32_t event;
    std::uint32_t window;
};
constexpr std::uint8_t kDestroyNotify = 17;
constexpr std::uint8_t kSentBySendEvent = 0x80;

}  // namespace

LostWindowWatch::LostWindowWatch(std::function<QWidget*(WId)> pageOfWindow) : pageOfWindow_(std::move(pageOfWindow)) {
    QCoreApplication::instance()->installNativeEventFilter(this);
}

LostWindowWatch::~LostWindowWatch() {
    if (QCoreApplication* application = QCoreApplication::instance()) application->removeNativeEventFilter(this);
}

bool LostWindowWatch::nativeEventFilter(const QByteArray& eventType, void* message, qintptr* /*result*/) {
    if (eventType != "xcb_generic_event_t" || message == nullptr) return false;
    const auto* event = static_cast<const DestroyNotify*>(message);
    if ((event->responseType & ~kSentBySendEvent) != kDestroyNotify || event->event != event->window) return false;
    QWidget* const page = pageOfWindow_(static_cast<WId>(event->window));
    if (page == nullptr) return false;
    // Closed once the event is handled, not from inside the platform's
    // event handling.
    QMetaObject::invokeMethod(
        page,
        [lost = QPointer<QWidget>(page)] {
            if (lost) lost->close();
        },
        Qt::QueuedConnection);
    return false;
}

}  // namespace wizard
