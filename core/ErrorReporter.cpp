#include "core/ErrorReporter.h"

namespace {
ErrorReporter g_reporter = nullptr;
}

namespace core {

void SetErrorReporter(ErrorReporter reporter) {
    g_reporter = reporter;
}

void ReportError(const char* message) {
    if (g_reporter != nullptr && message != nullptr) {
        g_reporter(message);
    }
}

} // namespace core
