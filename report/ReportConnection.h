#pragma once
// Where reports go and how one is sent.

#include <string>

class CMsg;
class CSocketReportClient;

namespace report {

// The variable that moves the report server off its port, for tests and
// trials only: deployments use the fixed port.
inline constexpr const char* kPortVariable = "WARROW_REPORT_PORT";

// 18010, unless `override` (the variable's value) is a port number 1-65535.
unsigned short ReportPort(const char* override);

// Sends one packed request. A connection the server has dropped meanwhile
// (it closes a client that stays silent for 30 minutes, while the user is
// still writing) is made again once, and the request goes out on the new one.
bool SendReport(CSocketReportClient& client, CMsg& msg, const std::string& host, unsigned short port);

} // namespace report
