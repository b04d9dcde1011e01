#pragma once
// A window manager's request to close a window reaches Qt as a native event. While a modal
// box blocks the window, Qt drops the request before any widget sees it, and a technician
// who closed the window finds the program still running once the box is answered. This
// filter catches the request first and makes it count.

#include <QAbstractNativeEventFilter>
#include <cstdint>

class QWidget;

namespace kelvo {

class CloseRequestFilter : public QAbstractNativeEventFilter {
public:
    // Installs itself on the application; does nothing where the platform is not X11.
    CloseRequestFilter();
    ~CloseRequestFilter() override;

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

private:
    uint32_t protocolsAtom_ = 0;
    uint32_t deleteWindowAtom_ = 0;
};

// Whether Qt would drop a close request for `window` now: a modal box other than the window
// itself is up.
bool CloseRequestWouldBeDropped(const QWidget* window);

// Makes a blocked close request count: answers the modal boxes over `window` as their Escape
// would (no, cancel: nothing is sent for them), then closes it from the event loop, where its
// own close handling leaves the sensor in order.
void DeliverBlockedCloseRequest(QWidget* window);

}  // namespace kelvo
