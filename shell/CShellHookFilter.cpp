#include "shell/CShellHookFilter.h"

#include "platform/x11/CXConnection.h"
#include "platform/x11/DeskGuard.h"
#include "shell/ShellX.h"

#include <QByteArray>
#include <xcb/xcb.h>

#include <utility>

CShellHookFilter::CShellHookFilter(unsigned long target, Handler handler)
    : m_target(target), m_handler(std::move(handler)) {
    m_pass.setSingleShot(true);
    m_pass.setInterval(0);
    QObject::connect(&m_pass, &QTimer::timeout, [this] { Deliver(); });
}

bool CShellHookFilter::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
    if (eventType != QByteArrayLiteral("xcb_generic_event_t") || ShellX() == nullptr) {
        return false;
    }
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    if ((event->response_type & 0x7f) != XCB_CLIENT_MESSAGE) {
        return false;
    }
    const auto* client = reinterpret_cast<const xcb_client_message_event_t*>(event);
    if (client->window != m_target || client->format != 32 ||
        client->type != ShellX()->Atom(deskguard::enAtom::WarrowShellHook)) {
        return false;
    }
    const unsigned what = client->data.data32[0];
    if (what == WM_DG_WINDOWCREATED || what == WM_DG_WINDOWDESTROYED) {
        m_pending.push_back({what == WM_DG_WINDOWCREATED, client->data.data32[1],
                             what == WM_DG_WINDOWCREATED && client->data.data32[2] == DG_WINDOW_OTHER});
        if (!m_pass.isActive()) {
            m_pass.start();
        }
    }
    return true;
}

void CShellHookFilter::Deliver() {
    // Taken out first: messages that come in while the handler runs start
    // a batch of their own.
    const std::vector<tagWindowEvent> events = std::exchange(m_pending, {});
    if (!events.empty()) {
        m_handler(events);
    }
}
