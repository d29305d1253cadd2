#include "update/UpdateCommandLine.h"

#include "update/SafeNames.h"
#include "update/VersionNumber.h"

namespace update {
namespace {

// The text between the first '[' at or after `from` and the next ']';
// `from` moves past that ']'.
std::optional<std::string_view> NextBracketed(std::string_view line, std::size_t& from) {
    const auto open = line.find('[', from);
    if (open == std::string_view::npos) {
        return std::nullopt;
    }
    const auto close = line.find(']', open + 1);
    if (close == std::string_view::npos) {
        return std::nullopt;
    }
    from = close + 1;
    return line.substr(open + 1, close - open - 1);
}

} // namespace

std::string JoinArguments(int argc, const char* const* argv) {
    std::string line;
    for (int i = 1; i < argc; ++i) {
        if (i > 1) {
            line += ' ';
        }
        line += argv[i];
    }
    return line;
}

std::optional<tagUpdateArgs> ParseUpdateCommandLine(std::string_view line) {
    std::size_t from = 0;
    const auto program = NextBracketed(line, from);
    const auto version = program ? NextBracketed(line, from) : std::nullopt;
    if (!program || !version) {
        return std::nullopt;
    }
    tagUpdateArgs args;
    args.strBaseName = std::string(*program);
    const auto dot = args.strBaseName.find('.');
    if (dot != std::string::npos && dot > 0) {
        args.strBaseName.resize(dot);
    }
    if (!IsPlainFileName(args.strBaseName)) {
        return std::nullopt;
    }
    ReadVersion(std::string(*version), args.nVersion);
    args.bBackground = line.find("-b") != std::string_view::npos;
    return args;
}

} // namespace update
