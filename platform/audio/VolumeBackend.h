#pragma once

#include <memory>

namespace platform {

// The master output volume of one sound system, as a fraction 0.0 to 1.0.
class VolumeBackend {
public:
    virtual ~VolumeBackend() = default;
    virtual bool Get(double& level) = 0;
    virtual bool Set(double level) = 0;
};

// The default sink of a running PulseAudio (or PipeWire-Pulse) server; null
// when no server answers. Never starts a server.
std::unique_ptr<VolumeBackend> OpenPulseVolume();

// The "Master" control of the default ALSA mixer; null when there is none.
std::unique_ptr<VolumeBackend> OpenAlsaMasterVolume();

} // namespace platform
