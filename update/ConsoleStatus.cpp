#include "update/ConsoleStatus.h"

#include "platform/SingleInstance.h"

namespace update {

void PostUpdateStatus(enUpdateStatus status) {
    platform::PostToInstance(kConsoleTitle, kUpdateStatusMessage, status);
}

} // namespace update
