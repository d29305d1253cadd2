#pragma once

// The library's one channel for text errors: a function given to the facade's
// Init. When none is set the message is dropped, as in every program of the
// suite; tools and tests set one to see them.
using ErrorReporter = void (*)(const char* message);

namespace core {
void SetErrorReporter(ErrorReporter reporter);
void ReportError(const char* message);
} // namespace core
