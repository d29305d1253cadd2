#include "platform/ServiceChannel.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace {

TEST(ServiceChannelTest, MessagesParseStrictly) {
    std::string name;
    long wParam = -1;
    EXPECT_TRUE(platform::ParseServiceMessage("WRM_CHANGESTYLE 1", name, wParam));
    EXPECT_EQ(name, "WRM_CHANGESTYLE");
    EXPECT_EQ(wParam, 1);
    EXPECT_TRUE(platform::ParseServiceMessage("WRM_CHANGESTYLE -3", name, wParam));
    EXPECT_EQ(wParam, -3);
    for (const char* bad : {"", "WRM_CHANGESTYLE", "WRM_CHANGESTYLE ", " 1", "WRM_CHANGESTYLE 1x",
                            "WRM_CHANGESTYLE 99999999999999999999999"}) {
        EXPECT_FALSE(platform::ParseServiceMessage(bad, name, wParam)) << bad;
    }
    EXPECT_FALSE(platform::ParseServiceMessage("WRM_CHANGESTYLE 1" + std::string(200, ' '), name, wParam));
}

TEST(ServiceChannelTest, AStaleSocketIsReplacedAndALiveOneIsNot) {
    const std::string path =
        std::filesystem::temp_directory_path() / ("warrow-channel-" + std::to_string(::getpid()));
    ::setenv("WARROW_SERVICE_SOCKET", path.c_str(), 1);
    std::ofstream(path) << "left over";
    {
        platform::ServiceSocket first;
        ASSERT_TRUE(first.Open(path)) << "a file nobody listens on is replaced";
        platform::ServiceSocket second;
        std::string error;
        EXPECT_FALSE(second.Open(path, &error));
        EXPECT_NE(error.find("another service listens there"), std::string::npos) << error;

        ASSERT_TRUE(platform::PostServiceMessage(platform::kChangeStyleMessage, 0));
        std::string datagram;
        ASSERT_TRUE(first.Receive(datagram));
        EXPECT_EQ(datagram, "WRM_CHANGESTYLE 0");
        EXPECT_FALSE(first.Receive(datagram)) << "nothing more is waiting";
    }
    EXPECT_FALSE(std::filesystem::exists(path));
    std::string error;
    EXPECT_FALSE(platform::PostServiceMessage(platform::kChangeStyleMessage, 0, &error));
    EXPECT_NE(error.find("nobody is listening"), std::string::npos);
    ::unsetenv("WARROW_SERVICE_SOCKET");
}

} // namespace
