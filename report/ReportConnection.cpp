#include "report/ReportConnection.h"

#include "net/CSocketReportClient.h"

#include <charconv>
#include <cstring>

namespace report {

unsigned short ReportPort(const char* override) {
    unsigned port = 0;
    if (override != nullptr) {
        const char* end = override + std::strlen(override);
        const auto [last, error] = std::from_chars(override, end, port);
        if (error == std::errc() && last == end && port >= 1 && port <= 65535)
            return static_cast<unsigned short>(port);
    }
    return CSocketReportClient::kPort;
}

bool SendReport(CSocketReportClient& client, CMsg& msg, const std::string& host, unsigned short port) {
    if (msg.Send(&client))
        return true;
    client.Close(true);
    return client.Connect(host.c_str(), port) && msg.Send(&client);
}

} // namespace report
