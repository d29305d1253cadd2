#include "core/CVolumeControl.h"

#include "platform/audio/VolumeModule.h"

namespace {
constexpr long kFullScale = 65535;
}

CVolumeControl::CVolumeControl() = default;
CVolumeControl::~CVolumeControl() = default;

bool CVolumeControl::Init(bool vista) {
    m_deferred = false;
    isVista = vista;
    return vista ? InitVista() : InitXp();
}

void CVolumeControl::InitOnFirstUse() {
    m_backend.reset();
    m_deferred = true;
}

void CVolumeControl::OpenDeferred() {
    if (!m_deferred) {
        return;
    }
    m_deferred = false;
    if (!Init(true)) {
        Init(false);
    }
}

bool CVolumeControl::HasDevice() {
    OpenDeferred();
    return m_backend != nullptr;
}

bool CVolumeControl::InitXp() {
    m_backend = platform::OpenVolume(platform::VolumeSystem::Alsa);
    return m_backend != nullptr;
}

bool CVolumeControl::InitVista() {
    m_backend = platform::OpenVolume(platform::VolumeSystem::Pulse);
    return m_backend != nullptr;
}

long CVolumeControl::GetVolume() {
    OpenDeferred();
    double level = 0.0;
    if (m_backend == nullptr || !m_backend->Get(level)) {
        return 0;
    }
    return static_cast<long>(level * kFullScale); // truncated toward zero
}

void CVolumeControl::SetVolume(long value) {
    OpenDeferred();
    if (m_backend == nullptr) {
        return;
    }
    value = value < 0 ? 0 : (value > kFullScale ? kFullScale : value);
    m_backend->Set(static_cast<double>(value) / kFullScale);
}
