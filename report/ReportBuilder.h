#pragma once
// Builds the one request that carries a crash report, fitted into one frame
// (at most 32767 bytes):
//   1. plain, when it fits (the usual case);
//   2. else compressed with LZARI, when that fits and the receiver may
//      expand it (a compressed body may expand to at most 1 MiB);
//   3. else the log's middle is left out: its first and last lines stay, as
//      many as fit compressed, joined by one marker line (OmissionMarker),
//      so the system, exception and register sections at the head and the
//      end of the stack at the tail arrive.
// The log block is the log as a text-mode read gives it: each CR LF becomes
// one LF and the block is padded with zero bytes to the file's length, so it
// ends in as many zero bytes as the file has CR LF line breaks. A log cut in
// step 3 is the kept lines in that reading, without padding. The length
// field always counts exactly the bytes that follow it.

#include "net/UserReportMessage.h"
#include "report/CrashLogFile.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace report {

// Text fields are bounded, so that together they always leave room for the
// marker line: the description at 8 KiB, the names at a file name's length.
inline constexpr std::size_t kMaxDescriptionBytes = 8192;
inline constexpr std::size_t kMaxNameBytes = 259;

enum class enReportForm { Plain, Compressed, Cut };

struct tagBuiltReport {
    std::unique_ptr<user_report_message::CMSG_C2S_REPORT_REQUEST> pMsg; // packed, ready to send
    enReportForm nForm = enReportForm::Plain;
    std::uint64_t nOmitted = 0; // bytes of the log file left out
};

// The line put where the middle of a log was left out.
std::string OmissionMarker(std::uint64_t omitted);

// `fields` gives the account and the three texts (its pData is ignored);
// the texts are made fit for the wire (ToWireText) and bounded as above.
// A log that was not read goes out as no log at all (length 0).
tagBuiltReport BuildReport(const user_report_message::tagReportRequest& fields, const tagCrashLog& log);

} // namespace report
