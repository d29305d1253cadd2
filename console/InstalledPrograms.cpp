#include "console/InstalledPrograms.h"

#include "core/AppAdder.h"
#include "platform/ApplicationEntries.h"
#include "platform/Paths.h"

#include <algorithm>
#include <map>

namespace console {

bool IsExcludedProgramName(const std::string& name) {
    static const char* const kWords[] = {"Microsoft", "Windows", "控件",   "HP",     "Driver",
                                         "NVIDIA",    "AMD",     "Visual", "Update", "Tavi"};
    return std::any_of(std::begin(kWords), std::end(kWords),
                       [&](const char* word) { return name.find(word) != std::string::npos; });
}

std::vector<tagInstalledProgram> InstalledPrograms(const std::vector<std::string>& folders) {
    std::map<std::string, tagInstalledProgram> byName;
    for (const platform::InstalledEntry& found : platform::ScanApplications(folders)) {
        const platform::DesktopEntry& entry = found.entry;
        if (entry.noDisplay || entry.name.empty() || IsExcludedProgramName(entry.name) ||
            byName.count(entry.name)) {
            continue;
        }
        // An entry whose program is missing (uninstalled, or only on another
        // machine's PATH) could not be added anyway.
        const std::string program = platform::FindInPath(entry.command.front());
        if (program.empty() || !IsProgramFile(program)) {
            continue;
        }
        byName.emplace(entry.name, tagInstalledProgram{entry.name, found.file, program, entry.icon});
    }
    std::vector<tagInstalledProgram> programs;
    for (auto& [name, program] : byName) {
        programs.push_back(std::move(program));
    }
    return programs;
}

} // namespace console
