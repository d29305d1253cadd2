// WarrowUpdate itself, started as the console starts it, against a release
// that tools/publish-update wrote and a plain static web server serves.
#include "platform/SingleInstance.h"
#include "tests/update/ChildProcess.h"
#include "tests/update/UpdateTestFolder.h"

#include <regex>

namespace {

using update_test::CStaticWebServer;
using update_test::RunProgram;

class UpdateProgramTest : public UpdateTestFolder {
protected:
    void SetUp() override {
        UpdateTestFolder::SetUp();
        const auto bin = m_root / "bin";
        std::filesystem::create_directories(bin);
        m_opened = m_root / "opened.txt";
        WriteFile(bin / "xdg-open", "#!/bin/sh\nprintf '%s\\n' \"$1\" >> '" + m_opened.string() + "'\n");
        std::filesystem::permissions(bin / "xdg-open", std::filesystem::perms::owner_all);
        m_variables = {{"PATH", bin.string() + ":" + std::getenv("PATH")},
                       {"XDG_RUNTIME_DIR", m_runtime.string()},
                       {"QT_QPA_PLATFORM", "offscreen"}};
    }

    int Update(const std::string& commandLine) {
        const char* program = std::getenv("WARROW_UPDATE_PROGRAM");
        if (program == nullptr)
            return -100;
        return RunProgram({"sh", "-c", std::string("exec \"$0\" ") + commandLine, program}, m_folder.string(),
                          m_variables, (m_root / "program.out").string());
    }

    std::string Publish(const std::string& package, const std::string& version, const std::string& folder) {
        const std::string script = std::string(std::getenv("WARROW_SOURCE_DIR")) + "/tools/publish-update";
        return std::to_string(RunProgram({script, package, version, folder}, m_root.string(), {},
                                         (m_root / "publish.out").string())) +
               ReadFile(m_root / "publish.out");
    }

    std::filesystem::path m_opened;
    std::map<std::string, std::string> m_variables;
};

TEST_F(UpdateProgramTest, APublishedReleaseIsFetchedFromAStaticServerAndOpened) {
    std::string package(300 * 1024 + 7, '\0');
    for (std::size_t i = 0; i < package.size(); ++i)
        package[i] = static_cast<char>(i * 131 % 251);
    WriteFile(m_root / "warrow_1.0.6_amd64.deb", "older");
    WriteFile(m_root / "warrow_1.1.0_amd64.deb", package);
    const std::string site = (m_root / "site").string();
    ASSERT_EQ(Publish((m_root / "warrow_1.0.6_amd64.deb").string(), "1_0_0_6", site).substr(0, 1), "0");
    ASSERT_EQ(Publish((m_root / "warrow_1.1.0_amd64.deb").string(), "1_1_0_0", site).substr(0, 1), "0")
        << ReadFile(m_root / "publish.out");

    CStaticWebServer server(site);
    ASSERT_NE(server.Port(), 0) << server.Log();
    WriteFile("Update.ini", "[Nobody]\nAddress=http://127.0.0.1:1/\n[本地]\nAddress=" + server.Base() + "\n");

    EXPECT_EQ(Update("'[Warrow.exe][1_0_0_5]' -b"), 0) << ReadFile(m_root / "program.out");

    EXPECT_EQ(ReadFile("Update/warrow_1.1.0_amd64.deb"), package);
    EXPECT_EQ(FilesUnder(m_folder), (std::vector<std::string>{"Log/WarrowUpdate.log", "Update.ini",
                                                              "Update/warrow_1.1.0_amd64.deb"}));
    ASSERT_TRUE(std::filesystem::exists(m_opened) || [&] {
        // The handler runs detached from the updater; give it its time.
        for (int i = 0; i < 3000 && !std::filesystem::exists(m_opened); ++i)
            usleep(10 * 1000);
        return std::filesystem::exists(m_opened);
    }());
    EXPECT_EQ(ReadFile(m_opened), (m_folder / "Update/warrow_1.1.0_amd64.deb").string() + "\n");

    const auto lines = Lines(ReadFile("Log/WarrowUpdate.log"));
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_TRUE(std::regex_match(
        lines[0],
        std::regex(R"(\[\d{4}-\d\d-\d\d\]\[\d\d:\d\d:\d\d\]更新\[warrow_1\.1\.0_amd64\.deb\]开始)")))
        << lines[0];
    EXPECT_TRUE(std::regex_match(lines[1], std::regex(R"(\[\d{4}-\d\d-\d\d\]\[\d\d:\d\d:\d\d\]更新完成!)")))
        << lines[1];
    const std::string log = server.Log();
    EXPECT_NE(log.find("\"GET /Warrow.ini HTTP/1.1\" 200"), std::string::npos) << log;
    EXPECT_EQ(log.find("warrow_1.0.6"), std::string::npos) << "the newer minor line was chosen";
}

TEST_F(UpdateProgramTest, ASecondUpdaterEndsAtOnce) {
    setenv("XDG_RUNTIME_DIR", m_runtime.c_str(), 1);
    platform::SingleInstance first("WarrowUpdate");
    ASSERT_TRUE(first.Acquire());
    WriteFile("Update.ini", "[Nobody]\nAddress=http://127.0.0.1:1/\n");
    EXPECT_EQ(Update("'[Warrow.exe][1_0_0_5]' -b"), 2);
    EXPECT_FALSE(std::filesystem::exists("Log")) << "it did not even read its server list";
}

TEST_F(UpdateProgramTest, WithoutAServerListOrAnAnsweringServerItEndsWithTheLoggedReason) {
    EXPECT_EQ(Update("'[Warrow.exe][1_0_0_5]' -b"), 1);
    WriteFile("Update.ini", "[Nobody]\nAddress=http://127.0.0.1:1/\n");
    EXPECT_EQ(Update("'[Warrow.exe][1_0_0_5]' -b"), 1);
    EXPECT_EQ(Update("'[../Config][1_0_0_5]' -b"), 2) << "an unusable command line ends at once";
    std::vector<std::string> messages;
    for (const auto& line : Lines(ReadFile("Log/WarrowUpdate.log")))
        messages.push_back(line.substr(22));
    EXPECT_EQ(messages, (std::vector<std::string>{"Read Update Info Error!", "No update server answered!"}));
}

} // namespace
