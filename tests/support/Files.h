#pragma once
// Files the tests make: a text file (its folders made first) and a small
// program the kernel can run.

#include <filesystem>
#include <fstream>
#include <string>

namespace test_files {

inline void Write(const std::filesystem::path& path, const std::string& text) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::trunc) << text;
}

inline std::filesystem::path MakeProgram(const std::filesystem::path& path) {
    Write(path, "#!/bin/sh\nexit 0\n");
    std::filesystem::permissions(path, std::filesystem::perms::owner_all);
    return path;
}

} // namespace test_files
