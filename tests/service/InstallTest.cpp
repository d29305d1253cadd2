#include "tests/service/ServiceProcess.h"

namespace {

namespace fs = std::filesystem;

// Installs into a unit folder of the test's own, with a systemctl stand-in
// that records its calls and fails when told to.
class InstallTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_folder =
            fs::temp_directory_path() / ("warrowsvc-install-" + std::to_string(::getpid()) + "-" +
                                         ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(m_folder);
        fs::create_directories(m_folder / "units");
        WriteScript(m_folder / "systemctl", "echo \"$*\" >> \"$(dirname \"$0\")/calls.log\"\n"
                                            "[ ! -e \"$(dirname \"$0\")/fail-$1\" ]\n");
        ::setenv("WARROW_SYSTEMD_UNIT_DIR", (m_folder / "units").c_str(), 1);
        ::setenv("WARROW_SYSTEMCTL", (m_folder / "systemctl").c_str(), 1);
        m_service = std::make_unique<ServiceProcess>(m_folder);
    }
    void TearDown() override {
        m_service.reset();
        ::unsetenv("WARROW_SYSTEMD_UNIT_DIR");
        ::unsetenv("WARROW_SYSTEMCTL");
        fs::remove_all(m_folder);
    }

    fs::path Unit() const { return m_folder / "units" / "Warrow.service"; }
    std::string Calls() const { return ServiceProcess::Read(m_folder / "calls.log"); }

    fs::path m_folder;
    std::unique_ptr<ServiceProcess> m_service;
};

TEST_F(InstallTest, InstallReplacesAnExistingUnitAndEnablesTheNewOne) {
    std::ofstream(Unit()) << "[Service]\nExecStart=/old/WarrowSvc\n";
    EXPECT_EQ(m_service->Run({"-INSTALL", "network-online.target"}), 0) << m_service->Err();
    EXPECT_EQ(
        Calls(),
        "stop Warrow.service\ndisable Warrow.service\ndaemon-reload\ndaemon-reload\nenable Warrow.service\n");
    const std::string unit = ServiceProcess::Read(Unit());
    EXPECT_NE(unit.find("After=network-online.target\nWants=network-online.target\n"), std::string::npos)
        << unit;
    EXPECT_NE(unit.find("ExecStart=\"" + m_service->Program().string() + "\"\n"), std::string::npos) << unit;
    EXPECT_NE(unit.find("WorkingDirectory=" + m_folder.string() + "\n"), std::string::npos) << unit;
    EXPECT_NE(unit.find("WantedBy=multi-user.target\n"), std::string::npos);
    EXPECT_EQ(m_service->Out(), "") << "installing does not run the service";
}

// systemd's own checks of the written unit: it loads, and its sandbox rates
// an exposure of at most 5 (of 10).
TEST_F(InstallTest, TheUnitPassesSystemdsChecksWithALowExposure) {
    if (std::system("systemd-analyze --version >/dev/null 2>&1") != 0) {
        GTEST_SKIP() << "systemd-analyze is not installed";
    }
    ASSERT_EQ(m_service->Run({"/install"}), 0) << m_service->Err();
    const std::string unit = ServiceProcess::Read(Unit());
    EXPECT_NE(unit.find("ReadWritePaths=\"" + m_folder.string() + "\"\n"), std::string::npos) << unit;
    EXPECT_NE(unit.find("RuntimeDirectory=warrow\n"), std::string::npos) << unit;
    const std::string quoted = "'" + Unit().string() + "'";
    EXPECT_EQ(std::system(("systemd-analyze verify " + quoted + " >/dev/null 2>&1").c_str()), 0)
        << "systemd-analyze verify " << quoted;
    EXPECT_EQ(
        std::system(("systemd-analyze security --offline=true --threshold=50 " + quoted + " >/dev/null 2>&1")
                        .c_str()),
        0)
        << "systemd-analyze security --offline=true " << quoted;
}

TEST_F(InstallTest, ABareDependencyNamesAServiceAndUnsafeOnesAreRefused) {
    EXPECT_EQ(m_service->Run({"/install", "Tcpip"}), 0);
    EXPECT_NE(ServiceProcess::Read(Unit()).find("After=Tcpip.service\n"), std::string::npos);
    EXPECT_EQ(m_service->Run({"/install", "a.service\nExecStartPre=/bin/evil"}), 1);
    EXPECT_NE(m_service->Err().find("Couldn't create service"), std::string::npos);
    EXPECT_FALSE(fs::exists(Unit())) << "the old unit was removed first";
}

TEST_F(InstallTest, AFailingEnableIsReported) {
    std::ofstream(m_folder / "fail-enable");
    EXPECT_EQ(m_service->Run({"/Install"}), 1);
    EXPECT_EQ(m_service->Err(), "Warrow: Couldn't create service\n");
}

TEST_F(InstallTest, UninstallStopsDisablesAndRemoves) {
    EXPECT_EQ(m_service->Run({"/uninstall"}), 0);
    EXPECT_EQ(Calls(), "") << "nothing installed, nothing to do";
    ASSERT_EQ(m_service->Run({"/install"}), 0);
    fs::remove(m_folder / "calls.log");
    EXPECT_EQ(m_service->Run({"-Uninstall"}), 0);
    EXPECT_FALSE(fs::exists(Unit()));
    EXPECT_EQ(Calls(), "stop Warrow.service\ndisable Warrow.service\ndaemon-reload\n");
}

} // namespace
