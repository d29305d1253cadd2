#include "platform/audio/VolumeBackend.h"

#include <alsa/asoundlib.h>

namespace platform {
namespace {

// A computer without a sound card is normal here; ALSA's own complaints about
// it would only clutter the programs' output.
void IgnoreAlsaMessage(const char*, int, const char*, int, const char*, ...) {}

class AlsaVolume final : public VolumeBackend {
public:
    bool Open() {
        snd_lib_error_set_handler(&IgnoreAlsaMessage);
        snd_mixer_selem_id_t* id = nullptr;
        if (snd_mixer_open(&m_mixer, 0) < 0 || snd_mixer_attach(m_mixer, "default") < 0 ||
            snd_mixer_selem_register(m_mixer, nullptr, nullptr) < 0 || snd_mixer_load(m_mixer) < 0 ||
            snd_mixer_selem_id_malloc(&id) < 0) {
            return false;
        }
        snd_mixer_selem_id_set_index(id, 0);
        snd_mixer_selem_id_set_name(id, "Master");
        m_element = snd_mixer_find_selem(m_mixer, id);
        snd_mixer_selem_id_free(id);
        return m_element != nullptr && snd_mixer_selem_has_playback_volume(m_element) &&
               snd_mixer_selem_get_playback_volume_range(m_element, &m_min, &m_max) == 0 && m_max > m_min;
    }

    ~AlsaVolume() override {
        if (m_mixer != nullptr) {
            snd_mixer_close(m_mixer);
        }
    }

    bool Get(double& level) override {
        long raw = 0;
        snd_mixer_handle_events(m_mixer); // see changes made by other programs
        if (snd_mixer_selem_get_playback_volume(m_element, SND_MIXER_SCHN_FRONT_LEFT, &raw) < 0) {
            return false;
        }
        level = static_cast<double>(raw - m_min) / static_cast<double>(m_max - m_min);
        return true;
    }

    bool Set(double level) override {
        if (level < 0.0 || level > 1.0) {
            return false;
        }
        const long raw = m_min + static_cast<long>(level * static_cast<double>(m_max - m_min) + 0.5);
        return snd_mixer_selem_set_playback_volume_all(m_element, raw) == 0;
    }

private:
    snd_mixer_t* m_mixer = nullptr;
    snd_mixer_elem_t* m_element = nullptr;
    long m_min = 0;
    long m_max = 0;
};

} // namespace

std::unique_ptr<VolumeBackend> OpenAlsaMasterVolume() {
    auto alsa = std::make_unique<AlsaVolume>();
    if (!alsa->Open()) {
        return nullptr;
    }
    return alsa;
}

} // namespace platform
