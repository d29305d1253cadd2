#include "report/ReportBuilder.h"

#include "ltl/LZARI.h"
#include "net/NetException.h"
#include "report/WireText.h"

#include <algorithm>
#include <cstdio>
#include <string_view>

namespace report {
namespace {

using user_report_message::CMSG_C2S_REPORT_REQUEST;
using user_report_message::tagReportRequest;

constexpr std::uint32_t kBodyBudget = CMsg::kMaxFrame - CMsg::kHeaderSize;
// A cut moves to a line boundary when one is this close; a longer line is
// cut inside, at a character boundary.
constexpr std::size_t kLineSnap = 1024;
// The search for the longest cut log stops once the frame is this full.
constexpr std::uint32_t kGoodEnough = kBodyBudget - kBodyBudget / 32;
constexpr int kMaxProbes = 12;
constexpr std::size_t kSampleBytes = 64 * 1024;

bool IsContinuation(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// Where a head of at most `n` bytes ends: after a line break, else at a character start.
std::size_t HeadEnd(std::string_view s, std::size_t n) {
    n = std::min(n, s.size());
    if (n == s.size() || n == 0)
        return n;
    const std::size_t lf = s.rfind('\n', n - 1);
    if (lf != std::string_view::npos && n - (lf + 1) <= kLineSnap)
        return lf + 1;
    while (n > 0 && IsContinuation(s[n]))
        --n;
    return n;
}

// Where a tail starting at `from` or later begins: at a line start, else at a character start.
std::size_t TailStart(std::string_view s, std::size_t from) {
    if (from == 0 || from >= s.size() || s[from - 1] == '\n')
        return from;
    const std::size_t lf = s.find('\n', from);
    if (lf != std::string_view::npos && lf + 1 - from <= kLineSnap)
        return lf + 1;
    while (from < s.size() && IsContinuation(s[from]))
        ++from;
    return from;
}

std::vector<unsigned char> Bytes(std::string_view s) {
    return {s.begin(), s.end()};
}

// The whole log in text-mode reading, padded with zeros to the file's length.
std::vector<unsigned char> WholeBlock(const tagCrashLog& log) {
    std::vector<unsigned char> block = Bytes(ToTextMode(log.strHead));
    block.resize(log.nFileSize, 0);
    return block;
}

// The log with its middle left out: `keep` bytes of the file at most, three
// quarters from the head, the rest from the tail.
std::vector<unsigned char> CutBlock(const tagCrashLog& log, std::uint64_t keep, std::uint64_t& omitted) {
    const std::string& head = log.strHead;
    const std::string& tail = log.strTail.empty() ? log.strHead : log.strTail;
    const std::size_t headEnd = HeadEnd(head, keep * 3 / 4);
    const std::size_t tailKeep = std::min<std::size_t>(keep - keep * 3 / 4, tail.size());
    std::size_t tailFrom = TailStart(tail, tail.size() - tailKeep);
    if (log.strTail.empty())
        tailFrom = std::max(tailFrom, headEnd);
    omitted = log.nFileSize - headEnd - (tail.size() - tailFrom);

    std::string text = ToTextMode(std::string_view(head).substr(0, headEnd));
    if (!text.empty() && text.back() != '\n')
        text += '\n';
    text += OmissionMarker(omitted);
    text += ToTextMode(std::string_view(tail).substr(tailFrom));
    return Bytes(text);
}

// Measures the body a request would have in its frame.
class CReportProbe final : public CMSG_C2S_REPORT_REQUEST {
public:
    explicit CReportProbe(const tagReportRequest& fields) { Body() = fields; }

    std::uint32_t PlainSize() {
        m_stream.Clear();
        WriteBody();
        return m_stream.GetSize();
    }
    // What Pack with compression puts in the frame: the smaller of the two.
    // Only a body the receiver may expand is ever compressed.
    std::uint32_t FrameSize() {
        const std::uint32_t plain = PlainSize();
        if (plain > CMsg::kMaxExpanded)
            return plain;
        ltl::LZARI lzari;
        unsigned char* packed = nullptr;
        unsigned packedSize = 0;
        lzari.Compress(m_stream.GetData(), plain, &packed, &packedSize);
        return std::min<std::uint32_t>(plain, packedSize);
    }
};

// How well the start of `bytes` shrinks: compressed size per input byte.
double ShrinkRatio(std::string_view bytes) {
    const std::string_view sample = bytes.substr(0, kSampleBytes);
    if (sample.empty())
        return 1.0;
    ltl::LZARI lzari;
    unsigned char* packed = nullptr;
    unsigned packedSize = 0;
    lzari.Compress(reinterpret_cast<const unsigned char*>(sample.data()),
                   static_cast<unsigned>(sample.size()), &packed, &packedSize);
    return double(packedSize) / double(sample.size());
}

std::unique_ptr<CMSG_C2S_REPORT_REQUEST> Packed(const tagReportRequest& body, bool compress) {
    auto msg = std::make_unique<CMSG_C2S_REPORT_REQUEST>();
    msg->Body() = body;
    msg->SetCompress(compress);
    if (!msg->Pack())
        msg.reset();
    return msg;
}

// The most of the log that fits: a search over the kept length, guided by
// the sizes found so far (the compressed size grows about linearly with it).
tagBuiltReport FitCut(const tagReportRequest& fields, const tagCrashLog& log) {
    CReportProbe probe(fields);
    const std::uint64_t fixed = probe.PlainSize();
    const std::uint64_t markerRoom = OmissionMarker(log.nFileSize).size() + 1;
    const std::uint64_t available = log.strHead.size() + log.strTail.size() - (log.strTail.empty() ? 1 : 0);
    // What the receiver may expand bounds the kept bytes even when they shrink well.
    const std::uint64_t room =
        CMsg::kMaxExpanded - std::min<std::uint64_t>(CMsg::kMaxExpanded, fixed + markerRoom);

    std::uint64_t omitted = 0;
    auto sizeAt = [&](std::uint64_t keep) {
        probe.Body().pData = CutBlock(log, keep, omitted);
        return probe.FrameSize();
    };
    std::uint64_t lo = 0;
    std::uint64_t hi = std::min(available, room);
    std::uint32_t sizeLo = sizeAt(lo);
    if (sizeLo > kBodyBudget)
        return {};
    // Until a probe turns out too large, the size at `hi` is a guess from how
    // well the log's start shrinks; a good guess spares the largest probes.
    double sizeHi = sizeLo + double(hi) * ShrinkRatio(log.strHead);
    bool hiProbed = false;
    for (int probes = 0; probes < kMaxProbes && (hiProbed ? hi - lo > 1 : lo < hi) && sizeLo < kGoodEnough;
         ++probes) {
        // Compression need not grow strictly with the input: bisect then.
        double share = 0.5;
        if (sizeHi > sizeLo)
            share = std::clamp((kBodyBudget - sizeLo) / (sizeHi - sizeLo), 0.125, hiProbed ? 0.875 : 1.0);
        const std::uint64_t keep = lo + std::max<std::uint64_t>(1, std::uint64_t(double(hi - lo) * share));
        const std::uint32_t size = sizeAt(keep);
        if (size <= kBodyBudget) {
            lo = keep;
            sizeLo = size;
        } else {
            hi = keep;
            sizeHi = size;
            hiProbed = true;
        }
    }

    tagReportRequest body = fields;
    body.pData = CutBlock(log, lo, omitted);
    return {Packed(body, true), enReportForm::Cut, omitted};
}

} // namespace

std::string OmissionMarker(std::uint64_t omitted) {
    char line[128];
    std::snprintf(line, sizeof line, "…… 日志过长，中间 %llu 字节已省略 ……\n",
                  static_cast<unsigned long long>(omitted));
    return line;
}

tagBuiltReport BuildReport(const tagReportRequest& fields, const tagCrashLog& log) {
    tagReportRequest body;
    body.nAccount = fields.nAccount;
    body.strDescription = ToWireText(fields.strDescription, kMaxDescriptionBytes);
    body.strProgram = ToWireText(fields.strProgram, kMaxNameBytes);
    body.strLogFile = ToWireText(fields.strLogFile, kMaxNameBytes);
    try {
        if (!log.bRead)
            return {Packed(body, false), enReportForm::Plain, 0};
        if (log.strTail.empty()) {
            body.pData = WholeBlock(log);
            if (auto plain = Packed(body, false))
                return {std::move(plain), enReportForm::Plain, 0};
            if (CReportProbe(body).PlainSize() <= CMsg::kMaxExpanded) {
                if (auto compressed = Packed(body, true))
                    return {std::move(compressed), enReportForm::Compressed, 0};
            }
            body.pData.clear();
        }
        return FitCut(body, log);
    } catch (const net_exception&) {
        return {}; // a text the wire cannot carry; ToWireText leaves none
    }
}

} // namespace report
