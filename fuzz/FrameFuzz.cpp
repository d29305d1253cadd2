// Received bytes through the frame cutter and Unpack of both families, as the
// client's receive loop and the servers handle them.

#include "net/FrameCutter.h"
#include "net/NetException.h"
#include "net/UserLoginMessage.h"
#include "net/UserReportMessage.h"

#include <cstddef>
#include <cstdint>
#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The first byte picks the family, as a connection speaks one only.
    if (size == 0)
        return 0;
    auto* create =
        (data[0] & 1) ? user_report_message::CreateReportMessage : user_login_message::CreateLoginMessage;
    std::size_t offset = 1;
    for (;;) {
        const wire::tagFrameCut cut = wire::CutFrame(data + offset, size - offset);
        if (cut.state != wire::enFrameState::Complete)
            return 0;
        std::unique_ptr<CMsg> msg(create(cut.type));
        if (!msg)
            return 0;
        try {
            msg->Unpack(data + offset, cut.length, nullptr);
        } catch (const net_exception&) {
            return 0;
        }
        // A decoded message must encode again without fault.
        msg->SetCompress(false);
        (void)msg->Pack();
        offset += cut.length;
    }
}
