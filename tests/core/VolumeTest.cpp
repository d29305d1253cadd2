#include "core/CVolumeControl.h"
#include "core/CWarrowCoreInterface.h"
#include "platform/audio/VolumeModule.h"
#include "tests/core/PulseServer.h"

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
