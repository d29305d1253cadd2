#include "update/PackageOpener.h"

#include "platform/Paths.h"
#include "platform/ProcessLauncher.h"

namespace update {

bool OpenWithDesktopHandler(const std::string& path) {
    platform::LaunchRequest request;
    request.program = platform::FindInPath("xdg-open");
    if (request.program.empty()) {
        return false;
    }
    request.arguments = {path};
    return platform::StartDetached(request);
}

} // namespace update
