#pragma once
// Starting the updater: "WarrowUpdate [Warrow][a_b_c_d]" with the installed
// version, from the installation folder (the current directory).

#include <cstdint>
#include <string>

namespace console {

constexpr const char* kUpdaterName = "WarrowUpdate";

// "[Warrow][a_b_c_d]": the updater's one argument.
std::string UpdaterArgument(std::uint64_t version);
// Starts the updater detached. False with the reason when it cannot run.
bool StartUpdater(std::uint64_t version, std::string* error = nullptr);

} // namespace console
