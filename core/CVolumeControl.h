#pragma once

#include <memory>

namespace platform {
class VolumeBackend;
}

// The master output volume on one scale, 0 (silent) to 65535 (full). The
// "Vista" path is the PulseAudio default sink, the "XP" path the ALSA Master
// mixer. Without a device the volume reads 0 and setting it does nothing.
class CVolumeControl {
public:
    CVolumeControl();
    virtual ~CVolumeControl();

    bool Init(bool isVista);
    long GetVolume();
    // Values outside 0..65535 are clamped to the scale.
    void SetVolume(long value);
    bool IsVista() const { return isVista; }
    bool HasDevice() const { return m_backend != nullptr; }

protected:
    bool InitXp();
    bool InitVista();

private:
    bool isVista = false;
    std::unique_ptr<platform::VolumeBackend> m_backend;
};
