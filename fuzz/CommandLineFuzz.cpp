// Argument texts and launcher files from outside: splitting never fails,
// and the arguments a launcher yields survive being stored as one text and
// split again (as the allow-list stores them and the shell starts them).
#include "platform/CommandLine.h"
#include "platform/DesktopEntry.h"
#include "platform/ServiceChannel.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    if (const auto words = platform::SplitCommandLine(text)) {
        const auto again = platform::SplitCommandLine(platform::QuoteArguments(*words));
        if (!again || *again != *words) {
            std::abort();
        }
    }
    platform::SplitExec(text);
    platform::ParseDesktopEntry(text);
    std::string name;
    long wParam = 0;
    platform::ParseServiceMessage(text, name, wParam);
    return 0;
}
