#include "net/FrameCutter.h"

#include "net/CMsg.h"

namespace wire {

tagFrameCut CutFrame(const unsigned char* data, std::size_t size) {
    if (size < CMsg::kHeaderSize)
        return {enFrameState::Incomplete, 0, 0};
    const std::uint16_t length = static_cast<std::uint16_t>((data[0] | data[1] << 8) & CMsg::kMaxFrame);
    if (length < CMsg::kHeaderSize)
        return {enFrameState::Bad, 0, 0};
    if (length > size)
        return {enFrameState::Incomplete, 0, 0};
    return {enFrameState::Complete, length, data[2]};
}

} // namespace wire
