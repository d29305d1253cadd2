#pragma once

#include <optional>
#include <string>
#include <vector>

namespace platform {

// Splits an argument text the way a shell splits words, without running a
// shell: blanks separate words, single quotes keep everything, double quotes
// keep everything but backslash escapes of " \ $ `, a backslash outside
// quotes keeps the next character. Nothing is expanded. Empty optional for
// an unclosed quote.
std::optional<std::vector<std::string>> SplitCommandLine(const std::string& text);

// The inverse of SplitCommandLine (and of SplitExec): joins words into one
// argument text, quoting the words that need it, so that splitting the text
// again gives the same words.
std::string QuoteArguments(const std::vector<std::string>& words);

} // namespace platform
