// Tour section: a composed function tree stored in a file and read back.
#include <cmath>
#include <cstdio>
#include <memory>

#include "XelMathBinaryStreamImpl.h"
#include "XelMathCombinationX.h"
#include "XelMathFractionX.h"
#include "XelMathFunctionX.h"
#include "XelMathMemoryStream.h"
#include "XelMathPolynomX.h"
#include "XelMathStream.h"
#include "XelMathTrigonometricX.h"
#include "XelTolerance.h"

void TourStreams();

void TourStreams() {
  std::printf("\n== Function trees in streams ==\n");

  // h(x) = 2 cos(3x - 0.5) + (1 - x + x^2 / 2) / (2 + (x - 1)^2), an owning tree.
  const double num[3] = {1, -1, 0.5}, den[3] = {2, 0, 1};
  XelMathFunctionX* terms[2] = {
      new XelMathTrigonometricX(2 * std::cos(0.5), 2 * std::sin(0.5), 0.0, 3.0,
                                XelGetDefaultTolerance()),
      new XelMathFractionXDel(new XelMathPolynomX(2, num), new XelMathPolynomX(2, den, 1.0),
                              XelGetDefaultTolerance())};
  const double c[2] = {1.0, 1.0};
  std::unique_ptr<XelMathFunctionX> h(new XelMathCombinationXDel(2, terms, c, 0.0));

  // Every class of the tree has a stored layout; the stream's version picks it.
  unsigned char lossless = 0;
  std::printf("streamable: %d (lossless %d)\n", h->IsStreamable(1013, lossless), lossless);
  XelMathMemoryStream out(1013);
  XelMathFunctionGeneral::Stream(out, h.get(), "");
  const char* path = "tour_function_tree.bin";
  out.GetBinary().WriteFile(path);
  std::printf("wrote %zu bytes to %s\n", out.GetBuffer().size(), path);

  // Read back: a new tree of owning variants that the caller deletes.
  std::unique_ptr<XelMathBinaryStreamImpl> file(XelMathBinaryStreamImpl::ReadFile(path));
  XelMathStream in(file.get());
  XelMathFunctionX* read = nullptr;
  XelMathFunctionGeneral::UnStream(in, read, "");
  std::unique_ptr<XelMathFunctionX> g(read);
  std::remove(path);
  std::printf("read back a %s\n", g->IsA());
  for (double x : {-1.0, 0.0, 0.5, 2.0})
    std::printf("  x = %4.1f   original %.17g   read back %.17g\n", x, h->Eval(x), g->Eval(x));
}
