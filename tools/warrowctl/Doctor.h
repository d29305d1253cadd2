#pragma once

#include <string>
#include <vector>

// What weakens this machine's setup against a curious child, each with a
// one-line fix. System files are read below `root` ("/" normally; a fixture
// folder in tests); `folder` is the installation folder; `children` are the
// accounts marked as child accounts.
namespace doctor {

struct Finding {
    std::string id;      // stable, for scripts: "admin-group", "autologin", ...
    std::string problem; // one line
    std::string fix;     // one line
};

std::vector<Finding> Diagnose(const std::string& root, const std::string& folder,
                              const std::vector<std::string>& children);

std::string ToJson(const std::vector<Finding>& findings);

} // namespace doctor
