#pragma once
// The member of a population of the differential-evolution optimizer: a parameter vector and
// its fitness.

/// Most parameters of a search.
constexpr long XelMathGAMaxParams = 10;

/// A parameter vector and its fitness (only the first entries, as many as the optimizer's
/// number of parameters, are used).
struct XelMathGAIndividual {
  double parameters[XelMathGAMaxParams];
  double fitness;
};
