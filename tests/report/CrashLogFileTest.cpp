#include "ReportTestSupport.h"

#include "report/CrashLogFile.h"

#include <sys/stat.h>

namespace {

using namespace report;
using CrashLogFileTest = ScratchFolder;

TEST_F(CrashLogFileTest, ReadsTheFileAsItIsAndDeletesIt) {
    const std::string bytes = "a\r\nb\rc\n\x1A"
                              "d\r\n";
    WriteFile("crash.Txt", bytes);
    const tagCrashLog log = ReadCrashLog("crash.Txt");
    ASSERT_TRUE(log.bRead);
    EXPECT_EQ(log.nFileSize, bytes.size());
    EXPECT_EQ(log.strHead, bytes);
    EXPECT_EQ(log.strTail, "");
    EXPECT_EQ(ToTextMode(bytes), "a\nb\rc\n\x1A"
                                 "d\n")
        << "only CR LF pairs change";

    EXPECT_TRUE(DeleteCrashLog("crash.Txt"));
    EXPECT_FALSE(std::filesystem::exists("crash.Txt"));
    EXPECT_FALSE(DeleteCrashLog("crash.Txt"));
    EXPECT_FALSE(ReadCrashLog("crash.Txt").bRead);
}

TEST_F(CrashLogFileTest, NothingOutsideTheCurrentFolderOrOtherThanAFileIsReadOrDeleted) {
    std::filesystem::create_directory("sub");
    WriteFile("sub/crash.Txt", "secret");
    WriteFile("outside.txt", "secret");
    std::filesystem::create_symlink(m_folder / "outside.txt", "link.Txt");
    ASSERT_EQ(::mkfifo("fifo.Txt", 0600), 0);
    const std::string absolute = (m_folder / "outside.txt").string();
    for (const std::string name :
         {"sub/crash.Txt", "./outside.txt", absolute.c_str(), "..", ".", "", "link.Txt", "fifo.Txt", "sub"}) {
        EXPECT_FALSE(ReadCrashLog(name).bRead) << name;
    }
    for (const std::string name : {"sub/crash.Txt", "./outside.txt", absolute.c_str(), ".."})
        EXPECT_FALSE(DeleteCrashLog(name)) << name;
    EXPECT_TRUE(std::filesystem::exists("sub/crash.Txt"));
    EXPECT_TRUE(std::filesystem::exists("outside.txt"));
}

} // namespace
