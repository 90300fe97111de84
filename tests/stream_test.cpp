// Streams: every primitive read back over memory and over files at old and new versions,
// the byte layout, damaged data raising instead of reading out of bounds, and the dump.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <limits>
#include <memory>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

#include "XelMathBinaryStreamImpl.h"
#include "XelMathDumpStreamImpl.h"
#include "XelMathMemoryStream.h"
#include "XelMathStream.h"

namespace {
const long MaxLong32 = 2147483647L;
const long MinLong32 = -MaxLong32 - 1;
const unsigned long MaxULong32 = 4294967295UL;

// Bitwise equality, so that -0.0, NaN payloads and infinities are checked exactly.
bool SameBits(double iA, double iB) {
  return std::memcmp(&iA, &iB, sizeof(double)) == 0;
}

// Values that exercise every byte of each width.
const double Doubles[] = {0.0, -0.0, 1.0, -2.5, 3.141592653589793, 1e-310 /* subnormal */,
                          std::numeric_limits<double>::max(), std::numeric_limits<double>::infinity(),
                          -std::numeric_limits<double>::infinity(),
                          std::numeric_limits<double>::quiet_NaN()};
const long NbDoubles = sizeof(Doubles) / sizeof(Doubles[0]);
const long Longs[] = {0, 1, -1, 1005, MaxLong32, MinLong32, 0x12345678L};
const short Shorts[] = {0, 1, -1, 32767, -32768, 0x1234};
const unsigned long ULongs[] = {0UL, 1UL, 1012UL, MaxULong32, 0x89abcdefUL};

// Writes one of everything, in a fixed order.
void WriteEverything(XelMathStream& ioStream) {
  ioStream.DumpCommentBegin("Everything"); // ignored by the binary encoding
  for (long value : Longs)
    ioStream.WriteLong(value, "Long");
  for (short value : Shorts)
    ioStream.WriteShort(value, "Short");
  for (unsigned long value : ULongs)
    ioStream.WriteULong(value, "ULong");
  ioStream.WriteULong(ULongs, 5, "ULongs");
  ioStream.WriteULong(ULongs, 0, "NoULongs");
  for (double value : Doubles)
    ioStream.WriteDouble(value, "Double");
  ioStream.WriteDouble(Doubles, NbDoubles, "Doubles");
  ioStream.WriteDoubleByAddress(Doubles, NbDoubles, "ByAddress");
  ioStream.WriteDoubleByAddress(Doubles, 0, "Empty");
  ioStream.DumpCommentEnd("Everything");
}

// Reads back what WriteEverything wrote and checks it.
void ReadAndCheckEverything(XelMathStream& ioStream) {
  for (long expected : Longs) {
    long value = 0;
    ioStream.ReadLong(value, "Long");
    EXPECT_EQ(value, expected);
  }
  for (short expected : Shorts) {
    short value = 0;
    ioStream.ReadShort(value, "Short");
    EXPECT_EQ(value, expected);
  }
  for (unsigned long expected : ULongs) {
    unsigned long value = 0;
    ioStream.ReadULong(value, "ULong");
    EXPECT_EQ(value, expected);
  }
  unsigned long ulongs[5] = {0, 0, 0, 0, 0};
  ioStream.ReadULong(ulongs, 5, "ULongs");
  for (int i = 0; i < 5; i++)
    EXPECT_EQ(ulongs[i], ULongs[i]);
  ioStream.ReadULong(nullptr, 0, "NoULongs");
  for (double expected : Doubles) {
    double value = 7.0;
    ioStream.ReadDouble(value, "Double");
    EXPECT_TRUE(SameBits(value, expected)) << expected;
  }
  for (int array = 0; array < 2; array++) { // WriteDouble then WriteDoubleByAddress
    double values[NbDoubles];
    ioStream.ReadDouble(values, NbDoubles, "Doubles");
    for (long i = 0; i < NbDoubles; i++)
      EXPECT_TRUE(SameBits(values[i], Doubles[i])) << i;
  }
  double none[1] = {9.0};
  ioStream.ReadDouble(none, 0, "Empty");
  EXPECT_EQ(none[0], 9.0);
  EXPECT_EQ(ioStream.GetRemainingBytes(), 0);
}

// Expects a XelMathInputError 0x20009 whose reason contains iWhy.
template <class Call> void ExpectStreamError(const char* iWhy, Call iCall) {
  try {
    iCall();
    ADD_FAILURE() << "no error raised";
  } catch (const XelMathInputError& error) {
    EXPECT_EQ(error.GetCode(), 0x20009);
    EXPECT_STREQ(error.GetParameter(0), "XelMathStream");
    EXPECT_NE(std::string(error.GetParameter(1)).find(iWhy), std::string::npos)
        << error.GetParameter(1);
  }
}

std::string TemporaryPath(const char* iName) {
  const char* directory = std::getenv("TMPDIR");
  return std::string(directory && *directory ? directory : "/tmp") + "/" + iName + "." +
         std::to_string(static_cast<long>(getpid()));
}

class StreamAtVersion : public ::testing::TestWithParam<long> {};
} // namespace

// ---- round trips -----------------------------------------------------------------------

TEST_P(StreamAtVersion, EveryPrimitiveRoundTripsInMemoryAndThroughAFile) {
  XelMathMemoryStream out(GetParam());
  WriteEverything(out);
  EXPECT_EQ(out.IsDumpMode(), 0);
  XelMathMemoryStream in(out.GetBuffer()); // a reader built from the bytes
  EXPECT_EQ(in.GetVersionNumber(), GetParam());
  out.SetVersionNumber(-4); // the header carries any version, set after writing
  EXPECT_EQ(XelMathMemoryStream(out.GetBuffer()).GetVersionNumber(), -4);
  out.SetVersionNumber(GetParam());
  ReadAndCheckEverything(in);
  out.Rewind(); // the writer itself reads back from the start
  ReadAndCheckEverything(out);

  const std::string path = TemporaryPath("xel_stream_test");
  {
    XelMathBinaryStreamImpl impl(GetParam());
    XelMathStream file(&impl);
    WriteEverything(file);
    impl.WriteFile(path.c_str());
  }
  std::unique_ptr<XelMathBinaryStreamImpl> impl(XelMathBinaryStreamImpl::ReadFile(path.c_str()));
  std::remove(path.c_str());
  XelMathStream fromFile(impl.get());
  EXPECT_EQ(fromFile.GetVersionNumber(), GetParam());
  ReadAndCheckEverything(fromFile);
}

INSTANTIATE_TEST_SUITE_P(OlderAndNewerThan1012, StreamAtVersion, ::testing::Values(1005L, 1013L));

TEST(XelMathBinaryStreamImpl, LittleEndianFixedWidthLayout) {
  XelMathMemoryStream out(1013);
  out.WriteLong(-2);
  out.WriteShort(0x1234);
  out.WriteULong(0x89abcdefUL);
  out.WriteDouble(1.0);
  double pair[2] = {-2.0, 0.5};
  out.WriteDoubleByAddress(pair, 2);
  const unsigned char expected[] = {
      'X',  'e',  'l',  'S',  0xf5, 0x03, 0x00, 0x00,  // header: version 1013
      0xfe, 0xff, 0xff, 0xff,                          // long -2
      0x34, 0x12,                                      // short
      0xef, 0xcd, 0xab, 0x89,                          // ulong
      0,    0,    0,    0,    0,    0,    0xf0, 0x3f,  // 1.0
      0x02, 0,    0,    0,                             // count 2
      0,    0,    0,    0,    0,    0,    0x00, 0xc0,  // -2.0
      0,    0,    0,    0,    0,    0,    0xe0, 0x3f}; // 0.5
  ASSERT_EQ(out.GetBuffer().size(), sizeof(expected));
  for (size_t i = 0; i < sizeof(expected); i++)
    EXPECT_EQ(out.GetBuffer()[i], expected[i]) << i;
}

// ---- damaged data and misuse -----------------------------------------------------------

// Truncated and mutated streams are the readers' battery; here the messages and misuse.

TEST(XelMathBinaryStreamImpl, ReadPastTheEndNamesTheOperationAndKeepsTheCursor) {
  XelMathMemoryStream out;
  out.WriteShort(1);
  out.WriteShort(2);
  XelMathMemoryStream in(out.GetBuffer());
  short value = 0;
  in.ReadShort(value);
  try {
    double d;
    in.ReadDouble(d, "Shift");
    FAIL();
  } catch (const XelMathInputError& error) {
    EXPECT_EQ(error.GetCode(), 0x20009);
    EXPECT_STREQ(error.GetParameter(0), "XelMathStream");
    EXPECT_STREQ(error.GetParameter(1), "read past the end of the data");
    EXPECT_STREQ(error.GetParameter(2), "ReadDouble");
    EXPECT_NE(std::string(error.GetSourceFile()).find("XelMathBinaryStreamImpl"),
              std::string::npos);
  }
  in.ReadShort(value); // the failed read consumed nothing
  EXPECT_EQ(value, 2);
}

TEST(XelMathBinaryStreamImpl, ImpossibleCountsRaise) {
  double values[3] = {1, 2, 3};
  XelMathMemoryStream out;
  out.WriteDoubleByAddress(values, 3);
  XelMathMemoryStream in(out.GetBuffer());
  double read[4];
  ExpectStreamError("impossible count", [&] { in.ReadDouble(read, -1); });
  ExpectStreamError("count differs", [&] { in.ReadDouble(read, 2); });
  ExpectStreamError("count differs", [&] { in.ReadDouble(read, 4); });
  in.ReadDouble(read, 3); // nothing was consumed by the refused reads
  EXPECT_EQ(read[2], 3.0);

  // A damaged count, larger than what remains, or negative.
  for (unsigned char top : {0x00, 0x80}) {
    std::vector<unsigned char> bytes = out.GetBuffer();
    bytes[XelMathBinaryStreamImpl::HeaderBytes + 0] = 0xff;
    bytes[XelMathBinaryStreamImpl::HeaderBytes + 3] = top; // 255 + ... or negative
    XelMathMemoryStream damaged(bytes);
    double big[256];
    ExpectStreamError("impossible count", [&] { damaged.ReadDouble(big, 255); });
    unsigned long ulongs[256];
    ExpectStreamError("impossible count", [&] { damaged.ReadULong(ulongs, 255); });
  }

}

TEST(XelMathBinaryStreamImpl, BadHeadersAndFilesRaise) {
  // Refused writes, headers and files: each raises with its reason and writes nothing.
  XelMathMemoryStream out;
  std::vector<unsigned char> empty, wrong = {'N', 'o', 'p', 'e', 0, 0, 0, 0};
  unsigned long array[2] = {1, MaxULong32 + 1};
  double values[1] = {1};
  std::string missing = TemporaryPath("xel_stream_test_missing");
  XelMathBinaryStreamImpl impl;
  const std::pair<const char*, std::function<void()>> cases[] = {
      {"impossible count", [&] { out.WriteDouble(values, -1); }},
      {"impossible count", [&] { out.WriteDoubleByAddress(nullptr, 2); }},
      {"impossible count", [&] { out.WriteULong(nullptr, 1); }},
      {"32-bit", [&] { out.WriteLong(MaxLong32 + 1); }},
      {"32-bit", [&] { out.WriteLong(MinLong32 - 1); }},
      {"32-bit", [&] { out.WriteULong(MaxULong32 + 1); }},
      {"32-bit", [&] { out.WriteULong(array, 2); }},
      {"header", [&] { XelMathMemoryStream in(empty); }},
      {"header", [&] { XelMathMemoryStream in(wrong); }},
      {"header", [&] { XelMathBinaryStreamImpl bad(wrong.data(), 3); }},
      {"invalid data", [&] { XelMathBinaryStreamImpl bad(nullptr, 8); }},
      {"cannot be opened",
       [&] { delete XelMathBinaryStreamImpl::ReadFile(missing.c_str()); }},
      {"cannot be opened", [&] { impl.WriteFile("/nonexistent-dir/x/y.bin"); }}};
  for (const auto& c : cases)
    ExpectStreamError(c.first, c.second);
  EXPECT_EQ(out.GetBuffer().size(), size_t(XelMathBinaryStreamImpl::HeaderBytes)); // nothing
}

TEST(XelMathStream, WithoutImplementationWritesNothingAndRefusesReads) {
  XelMathStream stream;
  stream.WriteLong(1, "x");
  stream.WriteDouble(2.0);
  stream.DumpCommentBegin("Nothing");
  stream.DumpCommentEnd("Nothing");
  EXPECT_EQ(stream.GetRemainingBytes(), -1);
  long value;
  ExpectStreamError("no stream implementation", [&] { stream.ReadLong(value); });
}

// ---- dump ------------------------------------------------------------------------------

TEST(XelMathDumpStreamImpl, ShowsLabelsValuesAndNestedSections) {
  std::ostringstream text;
  XelMathDumpStreamImpl impl(text, 1005);
  XelMathStream stream(&impl);
  stream.DumpCommentBegin("XelMathCombinationX");
  stream.WriteShort(4, "TypeOfFunction");
  unsigned long counts[2] = {2, 3};
  stream.WriteULong(counts, 2, "Degrees");
  stream.DumpCommentBegin("XelMathPolynomX");
  double coefficients[3] = {1, -2, 0.1};
  stream.WriteDoubleByAddress(coefficients, 3, "Coefficients");
  stream.WriteLong(-7, "");
  stream.DumpCommentEnd("XelMathPolynomX");
  stream.WriteDouble(0.5, "Shift");
  stream.DumpCommentEnd("XelMathCombinationX");
  EXPECT_EQ(impl.GetDepth(), 0);
  EXPECT_EQ(text.str(), "XelMathCombinationX {\n"
                        "  TypeOfFunction (short): 4\n"
                        "  Degrees (ulong[2]): 2 3\n"
                        "  XelMathPolynomX {\n"
                        "    Coefficients (double[3]): 1 -2 0.10000000000000001\n"
                        "    - (long): -7\n"
                        "  }\n"
                        "  Shift (double): 0.5\n"
                        "}\n");
  short tag;
  ExpectStreamError("cannot be read back", [&] { stream.ReadShort(tag); });
}
