#include "shell/ShellX.h"

#include "platform/x11/CXConnection.h"

#include <QGuiApplication>

#include <memory>

deskguard::CXConnection* ShellX() {
    static std::unique_ptr<deskguard::CXConnection> connection =
        []() -> std::unique_ptr<deskguard::CXConnection> {
        auto* x11 =
            qGuiApp != nullptr ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
        if (x11 == nullptr || x11->connection() == nullptr) {
            return nullptr;
        }
        return deskguard::CXConnection::Borrow(x11->connection());
    }();
    return connection.get();
}
