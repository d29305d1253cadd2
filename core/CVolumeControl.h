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
    // Chooses the sound system on first use instead of now: the PulseAudio
    // path where a server answers, the ALSA mixer otherwise. Programs that
    // never touch the volume never load the sound libraries.
    void InitOnFirstUse();
    long GetVolume();
    // Values outside 0..65535 are clamped to the scale.
    void SetVolume(long value);
    // Which sound system is in use (true: the PulseAudio path).
    bool IsVista() {
        OpenDeferred();
        return isVista;
    }
    bool HasDevice();

protected:
    bool InitXp();
    bool InitVista();

private:
    void OpenDeferred();

    bool isVista = false;
    bool m_deferred = false;
    std::unique_ptr<platform::VolumeBackend> m_backend;
};
