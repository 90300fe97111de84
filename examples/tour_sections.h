#pragma once
// Sections of the tour, one function per family of classes (examples/tour_<family>.cpp).

/// The main job: every root, minimum and maximum of a composed function on an interval, an
/// option, an integral and a guaranteed image; writes a picture of the function and its points.
void TourMainJob();

/// Intervals and boxes: enclosures of elementary functions, periodic folding, box queries,
/// and a binary stream written and read back.
void TourIntervals();

/// Polynomials: evaluation with derivatives, interval images, the derivative, and the
/// Chebyshev approximation of a function by a polynomial.
void TourPolynomials();

/// Point sets: growing a set, reading it with the cursor, the geometric queries, tangents
/// for interpolation and the stream round trip.
void TourPointSets();

/// Elementary functions: a fraction of polynomials, its composition with a trigonometric
/// function, derivatives and interval images, closed-form roots and a cubic interpolant.
void TourFunctions();

/// Analyses of one-variable functions: all roots on an interval (multiple roots included),
/// local and absolute extrema, integrals.
void TourAnalysis();

/// Matrices: a least-squares fit with an exactly satisfied constraint, an SVD and the rank it
/// reveals, and a symmetric indefinite solve.
void TourMatrices();

/// Functions of two variables: a height field, its partial derivatives at a point, guaranteed
/// images over a box and over the cells of a grid, a restriction to an iso-line and double
/// integrals; writes a picture of sections of the field inside its guaranteed image.
void TourSurfaces();

/// Systems of two equations: every intersection point of a circle and a quartic in a box,
/// with the residuals of each; writes a picture of the two curves and their intersections.
void TourSystems();

/// Minima of functions of two variables: the closest points of an ellipse and a wave as the
/// minima of their squared distance; writes a picture of the curves and the minimizing pairs.
void TourMinimaXY();

/// Differential evolution: a short run of the genetic-algorithm optimizer on a published
/// function, with the best vector and its fitness.
void TourGeneticOptimizer();

/// Grid of pixels: labelled lines, circles and arcs rasterised, a region filled and its
/// bounding labels and corners; writes the grid as a PGM image.
void TourPixels();

/// Systems of N equations: every intersection of a sphere, a cylinder and a plane in a box,
/// including double solutions reported once.
void TourSystemsN();

/// Marching: the intersection curve of a sphere and a cylinder (Viviani's curve) traced from
/// one point, with its length against the exact one.
void TourMarching();

/// Streams: a composed function tree written to a file, read back, and both evaluated.
void TourStreams();

/// Deformations: a flat polyline wrapped onto a cylinder and a cone and unwrapped again.
void TourDeformations();

/// Self-checks: a caller's function with a slip in its derivative and a system with a wrong
/// sign, each caught by its checker with the code that names the mistake.
void TourSelfChecks();

/// Small systems: a line through a torus (surface and curve) and two separated plane curves,
/// every intersection found.
void TourSmallSystems();

/// Interpolation: a traced curve turned into a chain of quintic Hermite arcs, with the number
/// of arcs and the largest deviation.
void TourInterpolation();

/// Self-checks of relations: a relation with a wrong Jacobian entry caught by its checker.
void TourRelationCheck();

// Batch evaluation of a combination, and the adaptive integration option against the default.
void TourPerformanceOptIns();
