#include "update/VersionList.h"

#include "ltl/CIni.h"
#include "update/VersionNumber.h"

#include <vector>

namespace update {

bool LoadVersions(const std::string& path, VersionMap& versions) {
    ltl::CIni ini;
    std::vector<std::string> sections;
    if (!ini.Open(path.c_str()) || !ini.GetSectionNames(sections)) {
        return false;
    }
    versions.clear();
    for (const std::string& section : sections) {
        std::uint64_t version = 0;
        // "notes" or "2" do not name a version; reading them as 0_0_0_0 or
        // 2_0_0_0 would offer whatever they describe as a package.
        if (ReadVersion(section, version) == 4) {
            versions.emplace(version, section);
        }
    }
    return true;
}

std::optional<std::string> FindNewerVersion(const VersionMap& versions, std::uint64_t installed) {
    // Only versions above the installed one count: a higher second number on
    // an older first number (1_5_0_0 against an installed 2_0_0_0) would be a
    // step back, not an update.
    for (const auto& [version, section] : versions) {
        if (version > installed && MinorPart(version) > MinorPart(installed)) {
            return section;
        }
    }
    for (const auto& [version, section] : versions) {
        if (version > installed) {
            return section;
        }
    }
    return std::nullopt;
}

tagPackageEntry ReadPackageEntry(const std::string& path, const std::string& section) {
    ltl::CIni ini;
    tagPackageEntry entry;
    if (!ini.Open(path.c_str())) {
        return entry;
    }
    entry.strFile = ini.GetString(section.c_str(), "File");
    entry.strRun = ini.GetString(section.c_str(), "Run");
    entry.strSha256 = ini.GetString(section.c_str(), "Sha256");
    return entry;
}

} // namespace update
