#include "shell/PlayTime.h"

#include "core/CWarrowControl.h"
#include "core/CWarrowDBConfig.h"
#include "core/ChildAccounts.h"
#include "platform/ServiceRequest.h"

#include <cstdint>

namespace {
constexpr int kTick = 1000;
constexpr int kMinute = 60000;
constexpr int kPasswordWaitMs = 5000;

bool Reached(int count, int length) {
    return static_cast<std::uint32_t>(count) >= static_cast<std::uint32_t>(length);
}
} // namespace

enShellView StartView(int timeStyle) {
    switch (timeStyle) {
    case 0:
        return enShellView::Play;
    case 1:
        return enShellView::Rest;
    default:
        return enShellView::None;
    }
}

std::optional<enShellView> TickPlayTime(tagConfig& config) {
    config.CountTime = static_cast<int>(static_cast<std::uint32_t>(config.CountTime) + kTick);
    if (config.TimeStyle == 1 && Reached(config.CountTime, config.RestTime)) {
        config.TimeStyle = 0;
        config.CountTime = 0;
        return enShellView::Play;
    }
    if (config.TimeStyle == 0 && Reached(config.CountTime, config.PlayTime)) {
        config.TimeStyle = 1;
        config.CountTime = 0;
        return enShellView::Rest;
    }
    return std::nullopt;
}

std::string RestNoticeText(int remainingMs) {
    if (remainingMs > kMinute - 1) {
        return "休息时间剩余：" + std::to_string(remainingMs / kMinute) + "分钟";
    }
    return "休息时间剩余：少于1分钟";
}

bool CheckExitPassword(const tagSystemInfo& system, const std::string& typed) {
    if (child_accounts::RunsInChildAccount()) {
        // The child's copy of the settings holds no password: the service
        // checks it, and says no when it cannot be asked.
        return platform::AskService(platform::kCheckPasswordRequest, typed, kPasswordWaitMs).value_or("0") ==
               "1";
    }
    return system.ID == -1 || typed == system.UserPwd;
}

bool CheckGrantPassword(const tagSystemInfo& system, const std::string& typed, int minutes) {
    if (child_accounts::RunsInChildAccount()) {
        return platform::AskService(platform::kGrantExtraRequest, std::to_string(minutes) + "\n" + typed,
                                    kPasswordWaitMs)
                   .value_or("0") == "1";
    }
    return CheckExitPassword(system, typed);
}
