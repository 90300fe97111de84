// Tests of the stream readers of the point sets against damaged data: every truncation and
// thousands of single-byte mutations of valid streams, at each layout version, for the
// three kinds of set. A reader either raises the stream error or returns a set that writes
// back the very bytes it read; it never allocates more than the data can describe and
// leaks nothing.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "XelMathInputError.h"
#include "XelMathMemoryStream.h"
#include "XelMathSetOfPointsND.h"
#include "XelMathSetOfPointsNDTwoTangents.h"
#include "XelMathSetOfPointsNDWithVectors.h"
#include "XelQuorMemory.h"
#include "test_helpers.h"

namespace {

typedef std::vector<unsigned char> Bytes;

const long kStreamError = 0x20009;

// Versions whose point-set layouts differ (three labelled longs before 1012, one array of
// three from 1012 on), and the version written by default.
const long kVersions[] = {1005, 1006, 1011, 1012, XelMathBinaryStreamImpl::DefaultVersion};

// One kind of set: how to read it from a stream (a new set, or an error).
struct Kind {
  const char* name;
  std::function<XelMathSetOfPointsND*(XelMathStream&)> read;
};

const Kind kKinds[] = {
    {"plain",
     [](XelMathStream& ioStream) {
       XelMathSetOfPointsND* set = nullptr;
       XelMathSetOfPointsND::UnStream(ioStream, set, "");
       return set;
     }},
    {"two tangents",
     [](XelMathStream& ioStream) -> XelMathSetOfPointsND* {
       XelMathSetOfPointsNDTwoTangents* set = nullptr;
       XelMathSetOfPointsNDTwoTangents::UnStream(ioStream, set, "");
       return set;
     }},
    {"with vectors",
     [](XelMathStream& ioStream) -> XelMathSetOfPointsND* {
       XelMathSetOfPointsNDWithVectors* set = nullptr;
       XelMathSetOfPointsNDWithVectors::UnStream(ioStream, set, "");
       return set;
     }},
};

// A valid set of each kind of dimension 3: 5 points (closed for the plain one), or none.
XelMathSetOfPointsND* MakeSet(int iKind, int iPoints) {
  XelMathSetOfPointsND* set = iKind == 0   ? new XelMathSetOfPointsND(3)
                              : iKind == 1 ? new XelMathSetOfPointsNDTwoTangents(3)
                                           : new XelMathSetOfPointsNDWithVectors(3);
  if (iPoints == 0)
    return set;
  for (int i = 0; i < 5; i++) {
    const double p[3] = {i == 4 ? 0.0 : 1.0 + i, 0.5 * i * (4 - i), -1.0 / (i + 3)};
    const double v[3] = {0.25 * i, -2.0, 1e300};
    if (iKind == 2)
      static_cast<XelMathSetOfPointsNDWithVectors*>(set)->AddPointWithVector(p, v);
    else
      set->AddPoint(p);
  }
  if (iKind == 0) {
    double last[3];
    set->GetPoint(4, last);
    set->ReplacePoint(0, last);
    set->SetPeriodic(1);
  } else if (iKind == 1) {
    const double t0[3] = {1.0, 0.0, -0.5}, t1[3] = {0.0, -3.0, 2.0};
    static_cast<XelMathSetOfPointsNDTwoTangents*>(set)->SetFirstTangent(t0);
    static_cast<XelMathSetOfPointsNDTwoTangents*>(set)->SetLastTangent(t1);
  }
  return set;
}

Bytes Written(const XelMathSetOfPointsND& iSet, long iVersion) {
  XelMathMemoryStream out(iVersion);
  iSet.Stream(out, "");
  return out.GetBuffer();
}

// Feeds iBytes to the reader of kind iKind: it must raise the stream error, or return a set
// that writes back exactly the bytes it consumed. Either way it may allocate at most what
// the data can describe (twice its size, plus the set object) and must leave nothing alive.
void ExpectRaisesOrReadsBack(int iKind, const Bytes& iBytes, const std::string& iCase) {
  const XelQuorMemoryCounters before = XelQuorGetMemoryCounters();
  XelQuorResetPeakLiveBytes();
  try {
    XelMathMemoryStream in(iBytes);
    XelMathSetOfPointsND* set = kKinds[iKind].read(in);
    ASSERT_NE(set, nullptr) << iCase;
    const size_t consumed = iBytes.size() - static_cast<size_t>(in.GetRemainingBytes());
    const Bytes again = Written(*set, in.GetVersionNumber());
    EXPECT_TRUE(again == Bytes(iBytes.begin(), iBytes.begin() + static_cast<long>(consumed)))
        << iCase << ": the set read does not write back what it was read from";
    delete set;
  } catch (const XelMathInputError& error) {
    EXPECT_EQ(error.GetCode(), kStreamError) << iCase << ": " << error.what();
  }
  const XelQuorMemoryCounters after = XelQuorGetMemoryCounters();
  EXPECT_EQ(after.liveBlocks, before.liveBlocks) << iCase;
  EXPECT_LE(after.peakLiveBytes - before.liveBytes, 2 * static_cast<long>(iBytes.size()) + 512)
      << iCase;
}

} // namespace

// A header announcing a huge dimension and no point used to make the set with two
// tangents allocate and clear 2N doubles (17 GiB) before finding that nothing follows.
TEST(PointSetReaders, HugeDimensionWithoutDataIsRefusedBeforeAllocating) {
  for (long version : {1005L, 1013L}) {
    XelMathMemoryStream header(version);
    if (version < 1012) {
      header.WriteLong(0x40200000L, "Dim");
      header.WriteLong(0, "NbPts");
      header.WriteLong(0, "IsPeriodic");
    } else {
      const unsigned long values[3] = {0x40200000UL, 0, 0};
      header.WriteULong(values, 3, "");
    }
    Bytes bytes = header.GetBuffer();
    if (version < 1012) {
      ASSERT_EQ(bytes.size(), 20u);
    }
    // Without the points record every reader stops. With an empty one, a set without
    // tangents of that dimension and no point is valid (it needs no storage), but nothing
    // can hold the tangents.
    for (int withRecord = 0; withRecord < 2; withRecord++) {
      if (withRecord)
        bytes.insert(bytes.end(), 4, 0);
      for (int kind = 0; kind < 3; kind++) {
        const std::string where = std::string(kKinds[kind].name) + " at " +
                                  std::to_string(version) + (withRecord ? " with" : " without");
        if (!withRecord || kind == 1)
          xeltest::ExpectInputError(
              [&] {
                XelMathMemoryStream in(bytes);
                delete kKinds[kind].read(in);
              },
              kStreamError);
        ExpectRaisesOrReadsBack(kind, bytes, where);
      }
    }
  }
}

TEST(PointSetReaders, TruncatedOrMutatedStreamsRaiseOrReadBackExactly) {
  std::mt19937 generator(20261206u); // fixed: the same mutations on every run
  const unsigned char special[] = {0x00, 0x01, 0x7f, 0x80, 0xff};
  for (int kind = 0; kind < 3; kind++)
    for (int points : {5, 0}) {
      XelMathSetOfPointsND* set = MakeSet(kind, points);
      for (long version : kVersions) {
        const Bytes bytes = Written(*set, version);
        const std::string where = std::string(kKinds[kind].name) + " of " + std::to_string(points) +
                                  " points at " + std::to_string(version);
        ExpectRaisesOrReadsBack(kind, bytes, where);
        for (size_t cut = 0; cut < bytes.size(); cut++)
          ExpectRaisesOrReadsBack(kind,
                                  Bytes(bytes.begin(), bytes.begin() + static_cast<long>(cut)),
                                  where + " cut at " + std::to_string(cut));
        for (int m = 0; m < 2000; m++) {
          Bytes mutated = bytes;
          const size_t at = generator() % bytes.size();
          const std::uint32_t draw = generator();
          unsigned char value =
              (draw & 1) ? special[(draw >> 1) % 5] : static_cast<unsigned char>(draw >> 8);
          if (value == mutated[at])
            value = static_cast<unsigned char>(value ^ 0x10);
          mutated[at] = value;
          ExpectRaisesOrReadsBack(
              kind, mutated, where + " byte " + std::to_string(at) + " = " + std::to_string(value));
          if (::testing::Test::HasFailure())
            break;
        }
      }
      delete set;
    }
}
