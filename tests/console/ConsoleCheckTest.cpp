// The console's checks that need no server.

#include "tests/console/ConsoleFixture.h"

#include "console/AccountFields.h"
#include "console/AccountFile.h"
#include "console/CDlgMessage.h"
#include "console/CDlgPwdSetup.h"
#include "console/ConsoleMessageBox.h"
#include "console/ParentPasswordCheck.h"
#include "console/UpdaterCommand.h"
#include "net/GbkText.h"
#include "skin/CGlazeEdit.h"

#include <fstream>
#include <iterator>
#include <sys/stat.h>
#include <unistd.h>

using console::CheckParentPassword;

TEST(ParentPasswordCheckTest, FirstSetNeedsBothEntriesAndTheSameText) {
    EXPECT_TRUE(CheckParentPassword(true, {"", "abc", "abc"}, "").accepted);
    for (const console::tagPasswordEntries& missing :
         {console::tagPasswordEntries{"", "", "abc"}, {"", "abc", ""}}) {
        const auto verdict = CheckParentPassword(true, missing, "");
        EXPECT_FALSE(verdict.accepted);
        EXPECT_EQ(verdict.notice, nullptr); // stays without a word
    }
    const auto mismatch = CheckParentPassword(true, {"", "abc", "abd"}, "");
    EXPECT_FALSE(mismatch.accepted);
    EXPECT_STREQ(mismatch.notice, "密码不一致，请重新输入");
}

TEST(ParentPasswordCheckTest, AChangeNeedsTheOldPasswordExactly) {
    EXPECT_STREQ(CheckParentPassword(false, {"", "n", "n"}, "old").notice, "请输入原密码");
    EXPECT_STREQ(CheckParentPassword(false, {"OLD", "n", "n"}, "old").notice, "原密码不正确，请重新输入");
    EXPECT_TRUE(CheckParentPassword(false, {"old", "n", "n"}, "old").accepted);
}

TEST(AccountFileTest, HoldsBothLinesInGbkEachEndedByAZeroByte) {
    std::string bytes;
    ASSERT_TRUE(console::AccountFileBytes(12345, "pw9", bytes));
    std::string account;
    std::string password;
    wire::Utf8ToGbk("账号：", account);
    wire::Utf8ToGbk("密码: ", password);
    EXPECT_EQ(bytes, account + "12345 \n" + std::string(1, '\0') + password + "pw9" + std::string(1, '\0'));
}

TEST(AccountFileTest, ReplacesALinkPlantedUnderItsNameInsteadOfWritingThroughIt) {
    const std::string folder = ::testing::TempDir() + "account-file-" + std::to_string(::getpid());
    std::filesystem::create_directories(folder);
    const std::string target = folder + "/elsewhere";
    std::ofstream(target) << "keep";
    const std::string path = folder + "/" + console::kAccountFileName;
    ASSERT_EQ(::symlink(target.c_str(), path.c_str()), 0);
    std::string error;
    ASSERT_TRUE(console::WriteAccountFile(path, 1, "x", error)) << error;
    std::ifstream in(target);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "keep");
    struct stat info {};
    ASSERT_EQ(::lstat(path.c_str(), &info), 0);
    EXPECT_TRUE(S_ISREG(info.st_mode));
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    std::filesystem::remove_all(folder);
}

TEST(AccountNumberTest, ReadsTheTextAsTheStandardConversionDoes) {
    EXPECT_EQ(console::AccountNumber("00123"), 123);
    EXPECT_EQ(console::AccountNumber("99999999"), 99999999);
    EXPECT_EQ(console::UpdaterArgument(0x0001000200030004ull), "[Warrow][1_2_3_4]");
}

TEST_F(ConsoleTest, ThePasswordDialogTellsWhyItStaysWithOrWithoutTheNoticeWindow) {
    CWarrowCoreInterface::Get()->Init(kDataBasePath, kDataBasePassword, nullptr);
    CWarrowCoreInterface::Get()->GetDBConfig()->GetInfo().UserPwd = "old";
    {
        CDlgPwdSetup first;
        first.m_bFirstSet = true;
        first.OnInitDialog();
        EXPECT_FALSE(first.OldEdit()->isVisibleTo(&first));
        first.NewEdit()->setText(QStringLiteral("abc"));
        first.OnOK(); // no confirmation: stays without a word
        EXPECT_EQ(first.result(), 0);
        EXPECT_TRUE(console::ShownMessageBoxes().empty());
        first.ConfirmEdit()->setText(QStringLiteral("abd"));
        first.OnOK(); // before the main window there is no notice window: a message box says it
        EXPECT_TRUE(MessageBoxShown(QStringLiteral("密码不一致，请重新输入")));
        first.ConfirmEdit()->setText(QStringLiteral("abc"));
        first.OnOK();
        EXPECT_EQ(first.result(), QDialog::Accepted);
        EXPECT_EQ(first.NewPassword(), "abc");
    }
    CDlgMessage notice(nullptr);
    notice.OnInitDialog();
    CDlgPwdSetup change;
    change.OnInitDialog();
    change.OldEdit()->setText(QStringLiteral("wrong"));
    change.NewEdit()->setText(QStringLiteral("n"));
    change.ConfirmEdit()->setText(QStringLiteral("n"));
    change.OnOK();
    EXPECT_EQ(notice.Text(), QStringLiteral("瓦罗提示:\n原密码不正确，请重新输入"));
    EXPECT_EQ(change.result(), 0);
}
