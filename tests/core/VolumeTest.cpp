#include "core/CVolumeControl.h"
#include "core/CWarrowCoreInterface.h"
#include "platform/audio/VolumeModule.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

// A private PulseAudio server with one null sink, when pulseaudio is installed.
class PulseServer {
public:
    PulseServer() {
        if (::access("/usr/bin/pulseaudio", X_OK) != 0) {
            return;
        }
        m_dir = fs::temp_directory_path() / ("pulse-" + std::to_string(::getpid()));
        fs::create_directories(m_dir);
        const std::string socket = (m_dir / "native").string();
        m_pid = ::fork();
        if (m_pid == 0) {
            ::setenv("HOME", m_dir.c_str(), 1);
            ::setenv("XDG_RUNTIME_DIR", m_dir.c_str(), 1);
            const std::string protocol =
                "--load=module-native-protocol-unix auth-anonymous=1 socket=" + socket;
            ::execl("/usr/bin/pulseaudio", "pulseaudio", "-n", "--daemonize=no", "--exit-idle-time=-1",
                    "--disallow-exit", "--log-target=stderr", "--log-level=0",
                    "--load=module-null-sink sink_name=warrow_test", protocol.c_str(),
                    static_cast<char*>(nullptr));
            ::_exit(127);
        }
        ::setenv("PULSE_SERVER", ("unix:" + socket).c_str(), 1);
        for (int i = 0; i < 100 && !fs::exists(socket); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        m_running = fs::exists(socket);
    }
    ~PulseServer() {
        if (m_pid > 0) {
            ::kill(m_pid, SIGTERM);
            ::waitpid(m_pid, nullptr, 0);
        }
        ::unsetenv("PULSE_SERVER");
        if (!m_dir.empty()) {
            fs::remove_all(m_dir);
        }
    }
    bool Running() const { return m_running; }

private:
    pid_t m_pid = -1;
    fs::path m_dir;
    bool m_running = false;
};

TEST(VolumeTest, PulseAudioDefaultSinkUsesTheFullScale) {
    PulseServer server;
    if (!server.Running()) {
        GTEST_SKIP() << "no PulseAudio server could be started";
    }
    CVolumeControl volume;
    ASSERT_TRUE(volume.Init(true));
    volume.SetVolume(65535);
    EXPECT_EQ(volume.GetVolume(), 65535);
    volume.SetVolume(0);
    EXPECT_EQ(volume.GetVolume(), 0);
    volume.SetVolume(70000);
    EXPECT_EQ(volume.GetVolume(), 65535) << "values past the scale are clamped";

    auto backend = platform::OpenVolume(platform::VolumeSystem::Pulse);
    ASSERT_NE(backend, nullptr);
    ASSERT_TRUE(backend->Set(0.5));
    EXPECT_EQ(volume.GetVolume(), 32767) << "half volume, truncated";
}

TEST(VolumeTest, WithoutADeviceTheVolumeReadsZeroAndIgnoresChanges) {
    ::setenv("PULSE_SERVER", "unix:/nonexistent/warrow/native", 1);
    CVolumeControl volume;
    EXPECT_FALSE(volume.Init(true));
    EXPECT_FALSE(volume.HasDevice());
    volume.SetVolume(40000);
    EXPECT_EQ(volume.GetVolume(), 0);
    ::unsetenv("PULSE_SERVER");
}

bool SoundModuleMapped() {
    std::ifstream maps("/proc/self/maps");
    std::string line;
    while (std::getline(maps, line)) {
        if (line.find("libWarrowAudio.so") != std::string::npos) {
            return true;
        }
    }
    return false;
}

// In a fresh process (a death-test child that re-runs only this test), so
// no other test has loaded the module before.
TEST(VolumeTest, TheSoundLibrariesAreLoadedOnlyWhenTheVolumeIsUsed) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            CWarrowCoreInterface& core = *CWarrowCoreInterface::Get();
            core.Init("no-such-folder/DataBase.db", "key", nullptr);
            const bool mappedAtInit = SoundModuleMapped();
            core.GetVolumeControl()->GetVolume();
            std::_Exit(!mappedAtInit && SoundModuleMapped() ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

} // namespace
