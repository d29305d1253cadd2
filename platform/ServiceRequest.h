#pragma once
// Requests to the service that carry text ("<NAME>\n<text>"), for programs
// that may not write the settings themselves (a child account's shell and
// browser). Posting is fire-and-forget; asking waits for the service's answer
// on a socket pair whose one end travels with the request, so no address of
// the asker has to be reachable from the service's sandbox.

#include <optional>
#include <string>
#include <string_view>

namespace platform {

constexpr const char* kStoreTimeRequest = "WRM_STORETIME"; // Config.ini counters, "Section/Key=Value" lines
constexpr const char* kLogLineRequest = "WRM_LOGLINE";     // one activity line
constexpr const char* kCheckPasswordRequest = "WRM_CHECKPWD"; // the parent password typed; answer "1" or "0"
constexpr const char* kGrantExtraRequest =
    "WRM_GRANTEXTRA"; // "<minutes>\n<password>": extra time the parent grants; "1" or "0"
constexpr const char* kChildViewRequest =
    "WRM_CHILDVIEW"; // write DataBase/ChildView.db afresh; answer "1" or "0"

std::string FormatServiceRequest(std::string_view name, std::string_view text);
// Splits "<NAME>\n<text>"; false when the name is missing or not [A-Z_].
bool ParseServiceRequest(std::string_view datagram, std::string& name, std::string& text);

bool PostServiceRequest(std::string_view name, std::string_view text, std::string* error = nullptr);
// The service's answer, or nothing when no service answered within `timeoutMs`.
std::optional<std::string> AskService(std::string_view name, std::string_view text, int timeoutMs,
                                      std::string* error = nullptr);

} // namespace platform
