#include "platform/audio/VolumeBackend.h"

#include <pulse/pulseaudio.h>

#include <chrono>
#include <string>

namespace platform {
namespace {

constexpr auto kTimeout = std::chrono::seconds(3);

// A blocking conversation with the server on a private main loop: each call
// runs the loop until its answer has arrived (or the time-out passes).
class PulseVolume final : public VolumeBackend {
public:
    bool Connect() {
        m_loop = pa_mainloop_new();
        if (m_loop == nullptr) {
            return false;
        }
        m_context = pa_context_new(pa_mainloop_get_api(m_loop), "Warrow");
        if (m_context == nullptr ||
            pa_context_connect(m_context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) {
            return false;
        }
        return RunUntil([this] {
                   const auto state = pa_context_get_state(m_context);
                   return state == PA_CONTEXT_READY || !PA_CONTEXT_IS_GOOD(state);
               }) &&
               pa_context_get_state(m_context) == PA_CONTEXT_READY;
    }

    ~PulseVolume() override {
        if (m_context != nullptr) {
            pa_context_disconnect(m_context);
            pa_context_unref(m_context);
        }
        if (m_loop != nullptr) {
            pa_mainloop_free(m_loop);
        }
    }

    bool Get(double& level) override {
        pa_cvolume volume;
        if (!ReadDefaultSink(volume)) {
            return false;
        }
        level = static_cast<double>(pa_cvolume_max(&volume)) / PA_VOLUME_NORM;
        if (level > 1.0) {
            level = 1.0;
        }
        return true;
    }

    bool Set(double level) override {
        pa_cvolume volume;
        if (level < 0.0 || level > 1.0 || !ReadDefaultSink(volume)) {
            return false;
        }
        const auto raw = static_cast<pa_volume_t>(level * PA_VOLUME_NORM + 0.5);
        pa_cvolume_set(&volume, volume.channels, raw);
        m_done = false;
        m_ok = false;
        pa_operation* op = pa_context_set_sink_volume_by_name(
            m_context, m_sink.c_str(), &volume,
            [](pa_context*, int success, void* self) {
                auto* me = static_cast<PulseVolume*>(self);
                me->m_ok = success != 0;
                me->m_done = true;
            },
            this);
        return Finish(op) && m_ok;
    }

private:
    template <class Done> bool RunUntil(Done done) {
        const auto deadline = std::chrono::steady_clock::now() + kTimeout;
        while (!done()) {
            if (std::chrono::steady_clock::now() > deadline || pa_mainloop_prepare(m_loop, 100000) < 0 ||
                pa_mainloop_poll(m_loop) < 0 || pa_mainloop_dispatch(m_loop) < 0) {
                return false;
            }
        }
        return true;
    }

    bool Finish(pa_operation* op) {
        if (op == nullptr) {
            return false;
        }
        const bool ok = RunUntil([this] { return m_done; });
        if (!ok) {
            pa_operation_cancel(op);
        }
        pa_operation_unref(op);
        return ok;
    }

    bool ReadDefaultSink(pa_cvolume& volume) {
        m_done = false;
        m_sink.clear();
        pa_operation* op = pa_context_get_server_info(
            m_context,
            [](pa_context*, const pa_server_info* info, void* self) {
                auto* me = static_cast<PulseVolume*>(self);
                if (info != nullptr && info->default_sink_name != nullptr) {
                    me->m_sink = info->default_sink_name;
                }
                me->m_done = true;
            },
            this);
        if (!Finish(op) || m_sink.empty()) {
            return false;
        }
        m_done = false;
        m_ok = false;
        op = pa_context_get_sink_info_by_name(
            m_context, m_sink.c_str(),
            [](pa_context*, const pa_sink_info* info, int eol, void* self) {
                auto* me = static_cast<PulseVolume*>(self);
                if (info != nullptr) {
                    me->m_volume = info->volume;
                    me->m_ok = true;
                }
                if (eol != 0) {
                    me->m_done = true;
                }
            },
            this);
        if (!Finish(op) || !m_ok) {
            return false;
        }
        volume = m_volume;
        return true;
    }

    pa_mainloop* m_loop = nullptr;
    pa_context* m_context = nullptr;
    std::string m_sink;
    pa_cvolume m_volume{};
    bool m_done = false;
    bool m_ok = false;
};

} // namespace

std::unique_ptr<VolumeBackend> OpenPulseVolume() {
    auto pulse = std::make_unique<PulseVolume>();
    if (!pulse->Connect()) {
        return nullptr;
    }
    return pulse;
}

} // namespace platform
