#include "platform/audio/VolumeModule.h"

extern "C" __attribute__((visibility("default"))) platform::VolumeBackend* WarrowAudioOpenVolume(int system) {
    std::unique_ptr<platform::VolumeBackend> backend =
        system == static_cast<int>(platform::VolumeSystem::Pulse) ? platform::OpenPulseVolume()
                                                                  : platform::OpenAlsaMasterVolume();
    return backend.release();
}
