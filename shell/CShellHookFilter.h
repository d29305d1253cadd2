#pragma once
// Reads the window guard's messages (2258 a window appeared, 2259 it went)
// out of the shell's X event stream: the shell's PreTranslateMessage.
// A burst of windows arrives as a burst of messages: they are gathered in
// the order they came and handed on together once the X events at hand
// have been read, so that the shell asks the X server about all of them
// in one round trip.

#include "shell/WindowAdmission.h"

#include <QAbstractNativeEventFilter>
#include <QTimer>

#include <functional>
#include <vector>

class CShellHookFilter : public QAbstractNativeEventFilter {
public:
    using Handler = std::function<void(const std::vector<tagWindowEvent>& events)>;
    // Messages addressed to `target` (the shell's main window) go to `handler`.
    CShellHookFilter(unsigned long target, Handler handler);

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

private:
    void Deliver();

    unsigned long m_target;
    Handler m_handler;
    std::vector<tagWindowEvent> m_pending;
    QTimer m_pass; // zero delay: runs once the event loop is through the X events read so far
};
