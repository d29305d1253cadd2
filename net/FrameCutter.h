#pragma once
// Finds the first frame in received bytes without touching a socket, so the
// client, the servers and the fuzzer share one cutter.

#include <cstddef>
#include <cstdint>

namespace wire {

enum class enFrameState {
    Incomplete, // wait for more bytes
    Complete,   // a frame of `length` bytes starts at the data
    Bad,        // the length word cannot start a frame: drop the connection
};

struct tagFrameCut {
    enFrameState state;
    std::uint16_t length; // frame length with the header, when Complete
    std::uint8_t type;    // when Complete
};

tagFrameCut CutFrame(const unsigned char* data, std::size_t size);

} // namespace wire
