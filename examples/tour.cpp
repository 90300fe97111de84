// A tour of XelAdvancedMathematics: the main job first, then one chapter per family of
// classes. Usage: xel_tour [directory for the SVG pictures, default "."]
#include <cstdio>

#include "XelMathInputError.h"
#include "tour_sections.h"
#include "tour_svg.h"

int main(int argc, char** argv) {
  if (argc > 1)
    TourSetPictureDirectory(argv[1]);
  std::printf("XelAdvancedMathematics tour (the code is in examples/tour_*.cpp; numbers\n"
              "printed as 1e+30 are the library's infinity, XelMathInfinite)\n\n");
  try {
    TourMainJob();
    TourIntervals();
    TourPolynomials();
    TourPointSets();
    TourFunctions();
    TourAnalysis();
    TourMatrices();
    TourSurfaces();
    TourSystems();
    TourMinimaXY();
    TourGeneticOptimizer();
    TourPixels();
    TourSystemsN();
    TourMarching();
    TourStreams();
    TourDeformations();
    TourSelfChecks();
    TourSmallSystems();
    TourInterpolation();
    TourRelationCheck();
    TourPerformanceOptIns();
  } catch (const XelError& error) {
    std::printf("error: %s\n", error.what());
    return 1;
  }
  return 0;
}
