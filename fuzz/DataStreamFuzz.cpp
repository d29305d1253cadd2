// CDataStream driven by a script of operations read from the input: every
// read stays within the data or throws, whatever came before.

#include "net/CDataStream.h"
#include "net/NetException.h"
#include "net/WireFormat.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2)
        return 0;
    // The first byte splits the input into a script and a payload.
    const std::size_t scriptSize = std::min<std::size_t>(data[0], size - 1);
    const std::uint8_t* script = data + 1;
    const std::uint8_t* payload = script + scriptSize;
    const std::size_t payloadSize = size - 1 - scriptSize;

    CDataStream s(static_cast<std::uint32_t>(data[1] % 70));
    s.SetData(payload, payloadSize, (data[1] & 0x80) != 0);
    std::vector<unsigned char> sink(256);
    std::string text;
    for (std::size_t i = 0; i < scriptSize; ++i) {
        const std::uint8_t op = script[i];
        const std::size_t n = op >> 3;
        try {
            switch (op & 7) {
            case 0:
                s.Read(sink.data(), n);
                break;
            case 1:
                s.ReadString(text);
                break;
            case 2:
                (void)wire::GetText(s);
                break;
            case 3:
                s.Write(payload, std::min(n, payloadSize));
                break;
            case 4:
                s.InsertData(payload, std::min(n, payloadSize), n % (s.GetSize() + 2));
                break;
            case 5:
                (void)wire::GetU64(s);
                break;
            case 6:
                s.Clear();
                break;
            default:
                s.SetData(payload, std::min(n, payloadSize), (n & 1) != 0);
                break;
            }
        } catch (const net_exception&) {
        }
        if (s.GetPos() > s.GetCapacity() && s.GetPos() > s.GetSize())
            std::abort();
    }
    return 0;
}
