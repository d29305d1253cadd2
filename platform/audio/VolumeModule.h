#pragma once

#include "platform/audio/VolumeBackend.h"

#include <memory>

namespace platform {

enum class VolumeSystem { Alsa = 0, Pulse = 1 };

// Opens the master volume of one sound system through the sound module
// (libWarrowAudio.so), which is loaded at run time from the folder of the
// library that holds this function. Only programs that touch the volume load
// the sound libraries; null when the module or the device is missing.
std::unique_ptr<VolumeBackend> OpenVolume(VolumeSystem system);

} // namespace platform

// The one entry point the sound module exports (C linkage, so it is found by
// name). Ownership of the returned object passes to the caller; the module
// stays loaded for the life of the process.
extern "C" platform::VolumeBackend* WarrowAudioOpenVolume(int system);
