#include "server/TextEscape.h"

#include <gtest/gtest.h>

TEST(TextEscape, ControlsBecomeVisibleEscapes) {
    EXPECT_EQ(EscapeControls("a\nb\r\tc\x1b[31m\x0b\x7f"), "a\\nb\\r\\tc\\x1b[31m\\x0b\\x7f");
    EXPECT_EQ(EscapeControls("C:\\Windows"), "C:\\\\Windows") << "a backslash cannot fake an escape";
    EXPECT_EQ(EscapeControls("x\u2028y\u2029z\u0085"), "x\\u2028y\\u2029z\\x85");
    EXPECT_EQ(EscapeControls("浏览器 ä €"), "浏览器 ä €") << "other text stays as it is";
    EXPECT_EQ(EscapeControls("one\r\ntwo\tthree\rfour\x1b", enLineBreaks::Keep),
              "one\ntwo\tthree\\rfour\\x1b");
    EXPECT_EQ(EscapeControls("cut\xe2\x80"), "cut\xe2\x80") << "a cut sequence at the end is no separator";
}
