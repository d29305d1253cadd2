#include "console/UpdaterCommand.h"

#include "core/CWarrowControl.h"
#include "platform/Paths.h"
#include "platform/ProcessLauncher.h"

namespace console {

std::string UpdaterArgument(std::uint64_t version) {
    return "[Warrow][" + CWarrowControl::FormatVersion(version) + "]";
}

bool StartUpdater(std::uint64_t version, std::string* error) {
    const std::string folder = platform::CurrentDirectory();
    platform::LaunchRequest request;
    request.program = platform::JoinPath(folder, kUpdaterName);
    request.arguments = {UpdaterArgument(version)};
    request.workingDirectory = folder;
    return platform::StartDetached(request, error);
}

} // namespace console
