// A tour of XelAdvancedMathematics: each section shows one family of classes.
#include <cstdio>

#include "XelMathInputError.h"
#include "tour_sections.h"

int main() {
  std::printf("XelAdvancedMathematics tour\n");
  try {
    TourIntervals();
    TourPolynomials();
    TourPointSets();
    TourFunctions();
    TourAnalysis();
  } catch (const XelError& error) {
    std::printf("error: %s\n", error.what());
    return 1;
  }
  return 0;
}
