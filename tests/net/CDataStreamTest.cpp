#include "net/CDataStream.h"
#include "net/NetException.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<unsigned char> Bytes(const CDataStream& s) {
    return {s.GetData(), s.GetData() + s.GetSize()};
}

TEST(CDataStreamTest, GrowsByWholeStepsAndKeepsWhatWasWritten) {
    CDataStream s;
    EXPECT_EQ(s.GetData(), nullptr);
    const unsigned char one = 7;
    s.Write(&one, 1);
    EXPECT_EQ(s.GetCapacity(), 64u);

    CDataStream full;
    std::vector<unsigned char> block(64);
    for (unsigned i = 0; i < block.size(); ++i)
        block[i] = static_cast<unsigned char>(i);
    full.Write(block.data(), block.size());
    EXPECT_EQ(full.GetCapacity(), 128u); // a whole step of slack, never an exact fit
    full.Write(block.data(), block.size());
    EXPECT_EQ(full.GetCapacity(), 192u);
    EXPECT_EQ(full.GetSize(), 128u);
    EXPECT_EQ(full.GetData()[64 + 63], 63);
    EXPECT_EQ(full.GetData()[63], 63);

    CDataStream custom(10);
    custom.Write(block.data(), 25);
    EXPECT_EQ(custom.GetCapacity(), 30u);
}

TEST(CDataStreamTest, InsertPutsBlockInFrontOrAtAnyPositionUpToTheSize) {
    CDataStream s;
    s.Write("abc", 3);
    s.InsertData("XYZ", 3, 0);
    EXPECT_EQ(Bytes(s), (std::vector<unsigned char>{'X', 'Y', 'Z', 'a', 'b', 'c'}));
    EXPECT_EQ(s.GetPos(), 6u);
    s.InsertData("-", 1, 6); // at the size: appends
    s.InsertData("+", 1, 3);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(s.GetData()), s.GetSize()), "XYZ+abc-");
    EXPECT_THROW(s.InsertData("!", 1, 9), datastream_exception);
    EXPECT_EQ(s.GetSize(), 8u);

    CDataStream empty;
    empty.InsertData("hdr", 3, 0); // becomes an owned copy
    EXPECT_EQ(std::string(reinterpret_cast<char*>(empty.GetData()), empty.GetSize()), "hdr");
    CDataStream other;
    EXPECT_THROW(other.InsertData("hdr", 3, 1), datastream_exception);
}

TEST(CDataStreamTest, ReadsStopAtTheEndOfTheDataAndLeaveTheCursor) {
    const unsigned char three[] = {1, 2, 3};
    CDataStream s;
    s.SetData(three, 3, false);
    unsigned char four[4];
    EXPECT_THROW(s.Read(four, 4), datastream_exception);
    EXPECT_EQ(s.GetPos(), 0u);
    s.Read(four, 3);
    EXPECT_EQ(four[2], 3);
    EXPECT_THROW(s.Read(four, 1), datastream_exception);

    // A written stream's slack beyond its size is never readable.
    CDataStream written;
    written.Write(three, 3);
    written.SetData(written.GetData(), 2, true);
    EXPECT_THROW(written.Read(four, 3), datastream_exception);
}

TEST(CDataStreamTest, StringsEndAtTheirZeroByte) {
    const char text[] = "\0ab\0cd"; // "", "ab", then "cd" without terminator
    CDataStream s;
    s.SetData(text, 6, false);
    std::string out = "junk";
    s.ReadString(out);
    EXPECT_EQ(out, "");
    EXPECT_EQ(s.GetPos(), 1u);
    s.ReadString(out);
    EXPECT_EQ(out, "ab");
    EXPECT_THROW(s.ReadString(out), datastream_exception);
}

TEST(CDataStreamTest, WritingAfterAttachNeverTouchesTheCallersBytes) {
    const unsigned char mine[] = {1, 2, 3, 4};
    CDataStream s;
    s.SetData(mine, 4, false);
    s.Clear();
    const unsigned char nine = 9;
    s.Write(&nine, 1);
    EXPECT_EQ(mine[0], 1);
    EXPECT_EQ(s.GetData()[0], 9);
    EXPECT_EQ(s.GetSize(), 1u);
}

TEST(CDataStreamTest, WritingBehindTheEndKeepsTheBytesAfterIt) {
    // Found by the fuzzer: the grown buffer was sized for the cursor, not for the data.
    const std::string twenty = "abcdefghijklmnopqrst";
    CDataStream s(16);
    s.SetData(twenty.data(), twenty.size(), false);
    char two[2];
    s.Read(two, 2);
    s.Write("XYZXYZ", 6);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(s.GetData()), s.GetSize()), "abXYZXYZijklmnopqrst");
    EXPECT_EQ(twenty, "abcdefghijklmnopqrst");
}

} // namespace
