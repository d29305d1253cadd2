#include "platform/UserScope.h"

#include <systemd/sd-bus.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <set>

namespace platform {
namespace {

constexpr const char* kService = "org.freedesktop.systemd1";
constexpr const char* kPath = "/org/freedesktop/systemd1";
constexpr const char* kManager = "org.freedesktop.systemd1.Manager";
constexpr std::uint64_t kCallTimeoutUs = 5'000'000;

// Frees what one bus call leaves behind, however it ended.
struct tagCall {
    sd_bus_error error = SD_BUS_ERROR_NULL;
    sd_bus_message* reply = nullptr;
    ~tagCall() {
        sd_bus_message_unref(reply);
        sd_bus_error_free(&error);
    }
};

// Collects the jobs the manager reports finished.
int OnJobRemoved(sd_bus_message* message, void* userdata, sd_bus_error*) {
    std::uint32_t id = 0;
    const char* job = nullptr;
    const char* unit = nullptr;
    const char* result = nullptr;
    if (sd_bus_message_read(message, "uoss", &id, &job, &unit, &result) >= 0 && job != nullptr) {
        static_cast<std::set<std::string>*>(userdata)->insert(job);
    }
    return 0;
}

} // namespace

std::unique_ptr<UserManager> UserManager::Connect() {
    sd_bus* bus = nullptr;
    if (sd_bus_open_user(&bus) < 0) {
        return nullptr;
    }
    // A session bus may run without systemd on it; asking whether the name
    // has an owner does not start anything by activation.
    tagCall call;
    int owned = 0;
    if (sd_bus_call_method(bus, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                           "NameHasOwner", &call.error, &call.reply, "s", kService) < 0 ||
        sd_bus_message_read(call.reply, "b", &owned) < 0 || owned == 0) {
        sd_bus_flush_close_unref(bus);
        return nullptr;
    }
    return std::unique_ptr<UserManager>(new UserManager(bus));
}

UserManager::~UserManager() {
    sd_bus_flush_close_unref(m_bus);
}

std::string UserManager::StartScope(pid_t pid) {
    if (pid <= 0) {
        return {};
    }
    const std::string unit = "warrow-app-" + std::to_string(pid) + ".scope";
    // The manager reports finished jobs only to subscribers; the match is set
    // before the call so that no report can slip past.
    std::set<std::string> finished;
    sd_bus_slot* slot = nullptr;
    if (sd_bus_match_signal(m_bus, &slot, kService, kPath, kManager, "JobRemoved", OnJobRemoved, &finished) <
        0) {
        return {};
    }
    struct tagListening {
        UserManager* manager;
        sd_bus_slot* slot;
        ~tagListening() { manager->StopListening(slot); }
    } listening{this, slot};
    {
        // Fails only for a client already subscribed, which gets the reports.
        tagCall subscribe;
        sd_bus_call_method(m_bus, kService, kPath, kManager, "Subscribe", &subscribe.error, &subscribe.reply,
                           "");
    }

    sd_bus_message* request = nullptr;
    int r = sd_bus_message_new_method_call(m_bus, &request, kService, kPath, kManager, "StartTransientUnit");
    if (r >= 0) {
        r = sd_bus_message_append(request, "ss", unit.c_str(), "fail");
    }
    if (r >= 0) {
        r = sd_bus_message_open_container(request, 'a', "(sv)");
    }
    if (r >= 0) {
        r = sd_bus_message_append(request, "(sv)(sv)(sv)", "PIDs", "au", 1, static_cast<std::uint32_t>(pid),
                                  "Description", "s", "A program the child shell started", "CollectMode", "s",
                                  "inactive-or-failed");
    }
    if (r >= 0) {
        r = sd_bus_message_close_container(request);
    }
    if (r >= 0) {
        r = sd_bus_message_append(request, "a(sa(sv))", 0);
    }
    tagCall start;
    if (r >= 0) {
        r = sd_bus_call(m_bus, request, kCallTimeoutUs, &start.error, &start.reply);
    }
    sd_bus_message_unref(request);
    const char* job = nullptr;
    if (r < 0 || sd_bus_message_read(start.reply, "o", &job) < 0 || job == nullptr) {
        return {};
    }
    const std::string jobPath = job;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::microseconds(kCallTimeoutUs);
    while (finished.count(jobPath) == 0) {
        const auto left = std::chrono::duration_cast<std::chrono::microseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            return {};
        }
        r = sd_bus_process(m_bus, nullptr);
        if (r < 0) {
            return {};
        }
        if (r == 0 && sd_bus_wait(m_bus, static_cast<std::uint64_t>(left.count())) < 0) {
            return {};
        }
    }
    return Active(unit) ? unit : std::string();
}

void UserManager::StopListening(sd_bus_slot* slot) {
    sd_bus_slot_unref(slot);
    tagCall call;
    sd_bus_call_method(m_bus, kService, kPath, kManager, "Unsubscribe", &call.error, &call.reply, "");
    // Whatever arrived meanwhile is read and dropped, so nothing piles up
    // between two starts.
    while (sd_bus_process(m_bus, nullptr) > 0) {
    }
}

bool UserManager::Kill(const std::string& unit, int signal) {
    tagCall call;
    return sd_bus_call_method(m_bus, kService, kPath, kManager, "KillUnit", &call.error, &call.reply, "ssi",
                              unit.c_str(), "all", signal) >= 0;
}

bool UserManager::Active(const std::string& unit) {
    tagCall call;
    const char* path = nullptr;
    if (sd_bus_call_method(m_bus, kService, kPath, kManager, "GetUnit", &call.error, &call.reply, "s",
                           unit.c_str()) < 0 ||
        sd_bus_message_read(call.reply, "o", &path) < 0 || path == nullptr) {
        return false; // not loaded: ended and collected
    }
    sd_bus_error error = SD_BUS_ERROR_NULL;
    char* state = nullptr;
    const int r = sd_bus_get_property_string(m_bus, kService, path, "org.freedesktop.systemd1.Unit",
                                             "ActiveState", &error, &state);
    sd_bus_error_free(&error);
    const bool active = r >= 0 && state != nullptr &&
                        (std::strcmp(state, "active") == 0 || std::strcmp(state, "deactivating") == 0);
    std::free(state);
    return active;
}

} // namespace platform
