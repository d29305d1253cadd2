#pragma once
// Texts of a report must survive the trip to GBK: a text the wire cannot
// carry would make the whole report unsendable.

#include <cstddef>
#include <string>
#include <string_view>

namespace report {

// `text` made fit for a text field of the wire, at most `maxBytes` bytes of
// UTF-8: every byte that is not UTF-8 and every character GBK has no form
// for (an emoji, say) becomes '?', zero bytes are dropped, and a longer text
// is cut at a character boundary and ends in "……".
std::string ToWireText(std::string_view text, std::size_t maxBytes);

} // namespace report
