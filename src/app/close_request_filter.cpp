#include "app/close_request_filter.h"

#include <QApplication>
#include <QDialog>
#include <QGuiApplication>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <cstdlib>
#include <cstring>

#ifdef KELVO_HAVE_XCB
#include <xcb/xcb.h>
#endif

namespace kelvo {

namespace {
// Nested boxes are rare; the bound keeps a box that will not close from looping.
constexpr int kMostLayers = 16;

#ifdef KELVO_HAVE_XCB
uint32_t internAtom(xcb_connection_t* connection, const char* name) {
    const xcb_intern_atom_cookie_t cookie =
        xcb_intern_atom(connection, 0, static_cast<uint16_t>(std::strlen(name)), name);
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(connection, cookie, nullptr);
    const uint32_t atom = reply ? reply->atom : 0;
    std::free(reply);
    return atom;
}
#endif

// A box without a parent stands over every window; one with a parent over that window.
bool standsOver(const QWidget* box, const QWidget* window) {
    return !box->parentWidget() || box->parentWidget()->window() == window;
}
}  // namespace

CloseRequestFilter::CloseRequestFilter() {
#ifdef KELVO_HAVE_XCB
    // The offscreen platform answers as X11 too, without a connection.
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (xcb_connection_t* connection = x11 ? x11->connection() : nullptr) {
        protocolsAtom_ = internAtom(connection, "WM_PROTOCOLS");
        deleteWindowAtom_ = internAtom(connection, "WM_DELETE_WINDOW");
    }
#endif
    if (deleteWindowAtom_ != 0) QCoreApplication::instance()->installNativeEventFilter(this);
}

CloseRequestFilter::~CloseRequestFilter() {
    if (QCoreApplication::instance()) QCoreApplication::instance()->removeNativeEventFilter(this);
}

bool CloseRequestFilter::nativeEventFilter(const QByteArray& eventType, void* message,
                                           qintptr* /*result*/) {
#ifdef KELVO_HAVE_XCB
    if (eventType != "xcb_generic_event_t") return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    if ((event->response_type & 0x7f) != XCB_CLIENT_MESSAGE) return false;
    const auto* client = static_cast<const xcb_client_message_event_t*>(message);
    if (client->format != 32 || client->type != protocolsAtom_ ||
        client->data.data32[0] != deleteWindowAtom_)
        return false;
    QWidget* window = QWidget::find(client->window);
    if (!window || !window->isWindow() || !CloseRequestWouldBeDropped(window)) return false;
    DeliverBlockedCloseRequest(window);
    return true;
#else
    (void)eventType;
    (void)message;
    return false;
#endif
}

bool CloseRequestWouldBeDropped(const QWidget* window) {
    const QWidget* modal = QApplication::activeModalWidget();
    if (!modal || modal == window) return false;
    return modal->windowModality() == Qt::ApplicationModal || standsOver(modal, window);
}

void DeliverBlockedCloseRequest(QWidget* window) {
    // The boxes over the window are answered; a box another window asked stays for its
    // answer (a trend window closed while the sensor window asks a question).
    for (int layer = 0; layer < kMostLayers; ++layer) {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || modal == window || !standsOver(modal, window)) break;
        if (auto* dialog = qobject_cast<QDialog*>(modal))
            dialog->reject();
        else
            modal->close();
        if (QApplication::activeModalWidget() == modal) break;
    }
    // From the event loop: the boxes' own callers go on first with their answers.
    QTimer::singleShot(0, window, [target = QPointer<QWidget>(window)] {
        if (target) target->close();
    });
}

}  // namespace kelvo
