#pragma once
// The version list an update server offers ("Warrow.ini"): one section per
// version, named "a_b_c_d", with the package's File, the Run path opened
// after the download, and optionally the package's Sha256.

#include <cstdint>
#include <map>
#include <optional>
#include <string>

namespace update {

using VersionMap = std::map<std::uint64_t, std::string>; // version -> section name

// Every section whose name is a whole version (four numbers) is a version;
// other sections are ignored. The first of two sections naming the same
// version wins. False when the file cannot be read.
bool LoadVersions(const std::string& path, VersionMap& versions);

// A newer minor line is preferred over a later build of the installed line,
// and its lowest version is taken: first the lowest version newer than the
// installed one whose second number is higher, otherwise the lowest version
// newer than the installed one at all.
std::optional<std::string> FindNewerVersion(const VersionMap& versions, std::uint64_t installed);

struct tagPackageEntry {
    std::string strFile;   // path of the package on the server, appended to its address
    std::string strRun;    // path to open after the download, relative to the program folder
    std::string strSha256; // expected digest in hexadecimal; empty when not given
};

// The keys of one version's section; File stays empty when missing.
tagPackageEntry ReadPackageEntry(const std::string& path, const std::string& section);

} // namespace update
