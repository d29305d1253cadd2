#include "net/WireFormat.h"
#include "net/GbkText.h"
#include "net/NetException.h"
#include "net/PasswordDigest.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Hex(const CDataStream& s) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string out;
    for (std::uint32_t i = 0; i < s.GetSize(); ++i) {
        out += kHex[s.GetData()[i] >> 4];
        out += kHex[s.GetData()[i] & 15];
    }
    return out;
}

TEST(WireFormatTest, ValuesAreLittleEndianAndTextsGbkWithOneZero) {
    CDataStream s;
    wire::PutU32(s, 0x01020304);
    wire::PutI32(s, -2);
    wire::PutU16(s, 0xABCD);
    wire::PutU64(s, 0x0001000200030004ULL);
    wire::PutDouble(s, 1.0);
    wire::PutText(s, "中文");
    wire::PutText(s, "");
    EXPECT_EQ(Hex(s), "04030201"
                      "feffffff"
                      "cdab"
                      "0400030002000100"
                      "000000000000f03f"
                      "d6d0cec400"
                      "00");

    CDataStream r;
    r.SetData(s.GetData(), s.GetSize(), true);
    EXPECT_EQ(wire::GetU32(r), 0x01020304u);
    EXPECT_EQ(wire::GetI32(r), -2);
    EXPECT_EQ(wire::GetU16(r), 0xABCD);
    EXPECT_EQ(wire::GetU64(r), 0x0001000200030004ULL);
    EXPECT_EQ(wire::GetDouble(r), 1.0);
    EXPECT_EQ(wire::GetText(r), "中文");
    EXPECT_EQ(wire::GetText(r), "");
    EXPECT_THROW(wire::GetU16(r), datastream_exception);
}

TEST(WireFormatTest, TextsWithoutAGbkFormAreRefusedBothWays) {
    CDataStream s;
    EXPECT_THROW(wire::PutText(s, "emoji 😀"), datastream_exception);
    EXPECT_THROW(wire::PutText(s, std::string("a\0b", 3)), datastream_exception);
    EXPECT_EQ(s.GetSize(), 0u);

    const unsigned char broken[] = {'o', 'k', 0xD6, 0x00}; // a lead byte without its trail byte
    CDataStream r;
    r.SetData(broken, sizeof broken, false);
    EXPECT_THROW(wire::GetText(r), datastream_exception);

    std::string out;
    EXPECT_TRUE(wire::GbkToUtf8("\x80", out)); // code page 936 has the euro sign
    EXPECT_EQ(out, "€");
    EXPECT_FALSE(wire::Utf8ToGbk("\xff\xfe", out));
}

TEST(WireFormatTest, PasswordDigestIsMd5OfTheGbkBytesInLowerCaseHex) {
    std::string hex;
    ASSERT_TRUE(wire::PasswordDigest("", hex));
    EXPECT_EQ(hex, "d41d8cd98f00b204e9800998ecf8427e");
    ASSERT_TRUE(wire::PasswordDigest("abc", hex));
    EXPECT_EQ(hex, "900150983cd24fb0d6963f7d28e17f72");
    ASSERT_TRUE(wire::PasswordDigest("中文", hex)); // over D6 D0 CE C4, not the UTF-8 bytes
    EXPECT_EQ(hex, "bcce109775e8e1972e9f5fcda3e12895");
    ASSERT_TRUE(wire::PasswordDigest("密码123", hex));
    EXPECT_EQ(hex, "023b1f07f0a78fc82f15fc1cebe93524");
    EXPECT_FALSE(wire::PasswordDigest("😀", hex));
}

} // namespace
