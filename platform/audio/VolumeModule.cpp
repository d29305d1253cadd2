#include "platform/audio/VolumeModule.h"

#include <dlfcn.h>

#include <string>

namespace platform {
namespace {

constexpr const char* kModuleName = "libWarrowAudio.so";

// The module lives beside the library (or program) this code is linked into:
// the installation folder, or the build folder of the settings library. A
// full path, so no library search path can substitute another file.
std::string ModulePath() {
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&OpenVolume), &info) == 0 || info.dli_fname == nullptr) {
        return {};
    }
    std::string path = info.dli_fname;
    const auto slash = path.rfind('/');
    path = slash == std::string::npos ? std::string("./") : path.substr(0, slash + 1);
    return path + kModuleName;
}

using OpenFunction = VolumeBackend* (*)(int);

OpenFunction LoadOpenFunction() {
    const std::string path = ModulePath();
    if (path.empty()) {
        return nullptr;
    }
    // Never closed: backends it made may live until the process ends.
    void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (module == nullptr) {
        return nullptr;
    }
    return reinterpret_cast<OpenFunction>(dlsym(module, "WarrowAudioOpenVolume"));
}

} // namespace

std::unique_ptr<VolumeBackend> OpenVolume(VolumeSystem system) {
    static const OpenFunction open = LoadOpenFunction();
    if (open == nullptr) {
        return nullptr;
    }
    return std::unique_ptr<VolumeBackend>(open(static_cast<int>(system)));
}

} // namespace platform
