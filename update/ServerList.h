#pragma once
// The update servers this installation knows, from "Update.ini": one section
// per server, named for display, whose Address is the server's base URL
// (ending in '/', file names are appended to it as they are).

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace update {

constexpr std::uint32_t kNoAnswer = 0xFFFFFFFF;
constexpr std::size_t kMaxAddressLength = 249;

struct tagServer {
    std::string strName;
    std::string strAddress;
    std::uint32_t nTime = kNoAnswer; // milliseconds to a 200 answer
};

// The servers in file order; sections without an Address are skipped, and so
// are addresses that are too long or not http(s) (a file: or data: address
// would let whoever edits the file feed the updater local files). False when
// the file cannot be read or has no sections at all.
bool LoadServerList(const char* fileName, std::vector<tagServer>& servers);

// The server with the shortest time below kNoAnswer, the first one on ties.
std::optional<std::size_t> PickFastestServer(const std::vector<tagServer>& servers);

} // namespace update
