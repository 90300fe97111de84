#pragma once
// Batches of point evaluations (internal, never installed): the outputs a batch asks for, the
// chunks in which composites evaluate their components into stack arrays, the blocks of eight
// points whose values the straight-line kernels keep in vector registers (Lanes), and the fill
// of the outputs of a batch whose function has a null component.
#include "XelMathConstants.h"
#include "XelMathInternalConstants.h"

namespace XelMathBatch {

/// Points per chunk: a composite evaluates each component once per chunk into stack arrays of
/// this many doubles (no allocation whatever the batch size).
constexpr long Chunk = 64;

/// The outputs a batch asks for: bit 1, 2, 4 of the options with an array.
struct Asked {
  bool f, f1, f2;
  Asked(const long iOptions, const double* oF, const double* oF1, const double* oF2)
      : f(oF && (iOptions & XelMathOption::Value)),
        f1(oF1 && (iOptions & XelMathOption::FirstDeriv)),
        f2(oF2 && (iOptions & XelMathOption::SecondDeriv)) {}
  bool Any() const { return f || f1 || f2; }
  bool Derivatives() const { return f1 || f2; }
  /// The option bits of the outputs asked for.
  long Options() const {
    return (f ? XelMathOption::Value : 0) | (f1 ? XelMathOption::FirstDeriv : 0) |
           (f2 ? XelMathOption::SecondDeriv : 0);
  }
  /// Highest order asked for (-1 none).
  int Order() const { return f2 ? 2 : f1 ? 1 : f ? 0 : -1; }
};

/// iBody(start, count) over [0, iN) in chunks of at most Chunk points.
template <class Body> inline void ForEachChunk(const long iN, Body iBody) {
  for (long start = 0; start < iN; start += Chunk)
    iBody(start, iN - start < Chunk ? iN - start : Chunk);
}

/// Written after the parameter list of the kernel of a block loop (ForEachBlock): the kernel
/// is inlined into the loop, its lanes kept in registers.
#if defined(__GNUC__) || defined(__clang__)
#define XelMathBlockKernel __attribute__((always_inline))
#else
#define XelMathBlockKernel
#endif

/// Points per block of the straight-line kernels (polynomials).
constexpr long Block = 8;

/// Two doubles handled by one vector instruction where the compiler offers vector types.
#if defined(__GNUC__) || defined(__clang__)
typedef double Pair __attribute__((vector_size(16)));
#else
struct Pair {
  double v[2];
  double operator[](const int i) const { return v[i]; }
};
inline Pair operator+(const Pair& a, const Pair& b) {
  return Pair{{a.v[0] + b.v[0], a.v[1] + b.v[1]}};
}
inline Pair operator-(const Pair& a, const Pair& b) {
  return Pair{{a.v[0] - b.v[0], a.v[1] - b.v[1]}};
}
inline Pair operator*(const Pair& a, const Pair& b) {
  return Pair{{a.v[0] * b.v[0], a.v[1] * b.v[1]}};
}
#endif

/// The values of a block of Block points, kept in vector registers: each operation is done
/// lane by lane with the rounding of the scalar operation, so that a kernel written on lanes
/// gives the same values as the scalar expression at each point.
struct Lanes {
  Pair v[4];
  static Lanes Splat(const double c) {
    const Pair p{c, c};
    return Lanes{{p, p, p, p}};
  }
  /// iX[0..Block-1].
  static Lanes Load(const double* iX) {
    return Lanes{{Pair{iX[0], iX[1]}, Pair{iX[2], iX[3]}, Pair{iX[4], iX[5]}, Pair{iX[6], iX[7]}}};
  }
  /// The Block lanes into oY.
  void StoreAll(double* oY) const {
    oY[0] = v[0][0];
    oY[1] = v[0][1];
    oY[2] = v[1][0];
    oY[3] = v[1][1];
    oY[4] = v[2][0];
    oY[5] = v[2][1];
    oY[6] = v[3][0];
    oY[7] = v[3][1];
  }
  /// The first iCount lanes into oY.
  void Store(const long iCount, double* oY) const {
    if (iCount == Block) {
      StoreAll(oY);
      return;
    }
    double y[Block];
    StoreAll(y);
    for (long j = 0; j < iCount; ++j)
      oY[j] = y[j];
  }
  /// Whether a lane holds no number.
  bool AnyNaN() const {
#if defined(__GNUC__) || defined(__clang__)
    const auto m = (v[0] != v[0]) | (v[1] != v[1]) | (v[2] != v[2]) | (v[3] != v[3]);
    return (m[0] | m[1]) != 0;
#else
    bool r = false;
    for (int i = 0; i < 4; ++i)
      r |= (v[i][0] != v[i][0]) | (v[i][1] != v[i][1]);
    return r;
#endif
  }
};
inline Lanes operator+(const Lanes& a, const Lanes& b) {
  return Lanes{{a.v[0] + b.v[0], a.v[1] + b.v[1], a.v[2] + b.v[2], a.v[3] + b.v[3]}};
}
inline Lanes operator-(const Lanes& a, const Lanes& b) {
  return Lanes{{a.v[0] - b.v[0], a.v[1] - b.v[1], a.v[2] - b.v[2], a.v[3] - b.v[3]}};
}
inline Lanes operator*(const Lanes& a, const Lanes& b) {
  return Lanes{{a.v[0] * b.v[0], a.v[1] * b.v[1], a.v[2] * b.v[2], a.v[3] * b.v[3]}};
}
inline Lanes operator+(const Lanes& a, const double b) {
  return a + Lanes::Splat(b);
}
inline Lanes operator+(const double a, const Lanes& b) {
  return Lanes::Splat(a) + b;
}
inline Lanes operator-(const Lanes& a, const double b) {
  return a - Lanes::Splat(b);
}
inline Lanes operator*(const Lanes& a, const double b) {
  return a * Lanes::Splat(b);
}
inline Lanes operator*(const double a, const Lanes& b) {
  return Lanes::Splat(a) * b;
}

/// iBlock(x, start, count) over [0, iN) block by block: x holds the abscissas
/// iX[start..start+count-1] (a last short block padded with its last abscissa).
template <class Kernel> inline void ForEachBlock(const long iN, const double* iX, Kernel iBlock) {
  for (long start = 0; start < iN; start += Block) {
    const long count = iN - start < Block ? iN - start : Block;
    if (count == Block) {
      iBlock(Lanes::Load(iX + start), start, count);
      continue;
    }
    double x[Block];
    for (long j = 0; j < Block; ++j)
      x[j] = iX[start + (j < count ? j : count - 1)];
    iBlock(Lanes::Load(x), start, count);
  }
}

/// The abscissas of a chunk for components evaluated on whole blocks: iCount abscissas from
/// iX, padded up to a multiple of Block with the last one (a point already in the batch, so
/// that the padding evaluates nothing new). Count() is that multiple.
class PaddedChunk {
public:
  PaddedChunk(const double* iX, const long iCount)
      : _count((iCount + Block - 1) / Block * Block), _x(iX) {
    if (_count == iCount)
      return;
    for (long j = 0; j < _count; ++j)
      _local[j] = iX[j < iCount ? j : iCount - 1];
    _x = _local;
  }
  PaddedChunk(const PaddedChunk&) = delete;
  PaddedChunk& operator=(const PaddedChunk&) = delete;
  long Count() const { return _count; }
  const double* X() const { return _x; }

private:
  long _count;
  const double* _x;
  double _local[Chunk];
};

/// iValue in the iN entries of each output asked for.
inline void Fill(const Asked& iAsked, const long iN, const double iValue, double* oF, double* oF1,
                 double* oF2) {
  for (long i = 0; i < iN; ++i) {
    if (iAsked.f)
      oF[i] = iValue;
    if (iAsked.f1)
      oF1[i] = iValue;
    if (iAsked.f2)
      oF2[i] = iValue;
  }
}

} // namespace XelMathBatch
