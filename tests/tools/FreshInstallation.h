#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

// A new installation folder as `warrowctl init` makes it. Init runs once per
// test program and each test gets a copy: creating the encrypted databases is
// by far the slowest step, above all under the sanitizers.
inline bool CopyFreshInstallation(const std::filesystem::path& to) {
    namespace fs = std::filesystem;
    struct Template {
        fs::path folder = fs::temp_directory_path() / ("warrowctl-fresh-" + std::to_string(::getpid()));
        bool made = false;
        Template() {
            fs::remove_all(folder);
            fs::create_directories(folder);
            const std::string command =
                std::string(std::getenv("WARROWCTL")) + " --dir '" + folder.string() + "' init >/dev/null";
            made = std::system(command.c_str()) == 0;
        }
        ~Template() { fs::remove_all(folder); }
    };
    static const Template fresh;
    std::error_code error;
    fs::create_directories(to, error);
    fs::copy(fresh.folder, to, fs::copy_options::recursive | fs::copy_options::overwrite_existing, error);
    return fresh.made && !error;
}
