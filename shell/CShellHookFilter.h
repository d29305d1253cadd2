#pragma once
// Reads the window guard's messages (2258 a window appeared, 2259 it went)
// out of the shell's X event stream: the shell's PreTranslateMessage.

#include <QAbstractNativeEventFilter>

#include <functional>

class CShellHookFilter : public QAbstractNativeEventFilter {
public:
    using Handler = std::function<void(unsigned message, unsigned long window)>;
    // Messages addressed to `target` (the shell's main window) go to `handler`.
    CShellHookFilter(unsigned long target, Handler handler);

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

private:
    unsigned long m_target;
    Handler m_handler;
};
