#pragma once
// Client texts on their way into the server log and the stored reports:
// control characters (C0, DEL, C1), the Unicode line and paragraph
// separators and the backslash are written as escapes, so a client cannot
// forge a line or send escape sequences to whoever reads the file in a
// terminal. The texts are UTF-8 already (decoded from GBK on receipt).

#include <string>
#include <string_view>

enum class enLineBreaks {
    Escape, // one-line fields
    Keep,   // free text: line feeds and tabs stay; CR LF becomes LF
};

std::string EscapeControls(std::string_view utf8, enLineBreaks breaks = enLineBreaks::Escape);
