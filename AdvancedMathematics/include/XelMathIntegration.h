#pragma once
// Adaptive integrator of vector-valued integrands of one variable. A derived class fills the
// N values of its integrand at a point (Eval); Integration returns the N integrals over
// [a, b] with an error estimate for each.
//
// Each interval is sampled at nine equally spaced points. From the minimum depth on, a
// Romberg rule (three Richardson steps on 8 trapezoids) and a composite Boole rule are
// compared; an interval where they agree within every component's tolerance, or one at the
// maximum depth, is integrated by a pair of 7-point Clenshaw-Curtis rules (four more
// evaluations), whose error is the largest of the two differences to the Romberg value and
// the Clenshaw-Curtis estimate. Other intervals are halved, reusing five of their nine
// samples in each half. The tolerance applies to each interval of the subdivision as is;
// the errors returned are the sums over the final intervals. A reversed interval (b < a)
// gives the negated integrals.
//
// Storage: two work arrays of N doubles, inside the object when N <= 11, otherwise one heap
// block of 2N doubles freed by the destructor (an allocation failure is raised by the
// memory services). The recursion keeps its samples in fixed local buffers for N <= 11 and
// on the heap beyond. The configuration, when given, must outlive the integrator; its
// level selects the sign convention of the Clenshaw-Curtis error estimate.
//
// Numerical trouble is never raised: NaN samples stop the subdivision of their interval and
// come back as NaN results; errors raised by Eval go through after the heap is released.
#include "XelAdvancedMathematicsExport.h"
#include "XelQuorVirtual.h"

class XelSoftwareConfiguration;

class XELADVANCEDMATHEMATICS_EXPORT XelMathIntegration : public XelQuorVirtual {
public:
  /// Largest dimension whose work arrays live inside the object.
  static constexpr long InlineDimension = 11;
  /// Largest accepted maximum depth (2^30 final intervals at most).
  static constexpr long DepthLimit = 30;
  /// Intervals one subdivision (a call at depth 0) may sample: beyond, every interval is
  /// taken as at the maximum depth (so the status is 7 unless it meets its tolerance). A
  /// depth of 30 would otherwise sample 2^30 intervals, ten billion evaluations.
  static constexpr long MaxIntervals = 1L << 20;

  /// An integrator of iDimension components (a negative count counts as 0; one whose work
  /// arrays no array holds raises 0x20006, "the dimension", "Dimension not valid"), maximum
  /// depth 6, minimum depth 0. iConfig may be null (the current level is then used).
  XelMathIntegration(XelSoftwareConfiguration* iConfig, long iDimension);
  XelMathIntegration(const XelMathIntegration&) = delete;
  XelMathIntegration& operator=(const XelMathIntegration&) = delete;
  ~XelMathIntegration() override;

  long GetDynamicMemoryBytes() const override;
  long GetStaticMemoryBytes() const override;

  /// The N values of the integrand at iX into oValues.
  virtual void Eval(double iX, double* oValues) = 0;

  /// One level of the adaptive scheme on [iA, iB] at depth iDepth: iTol holds the N
  /// tolerances (their absolute values are used; null counts as zeros), iSamples the nine
  /// samples of every component at iA + k (iB - iA) / 8 stored sample by sample (index
  /// k N + i), or null to evaluate them here. Writes the N integrals and errors. Returns 0
  /// when every final interval met its tolerance, 7 when some interval reached the maximum
  /// depth without meeting it (or gave NaN).
  virtual int CCRSubdivision(const double iA, const double iB, const double* iTol,
                             const double* iSamples, double* oResults, double* oErrors,
                             long iDepth);
  /// Romberg value of each component from the nine samples.
  virtual void Romberg9(const double iA, const double iB, const double* iSamples, double* oResults);
  /// Composite Boole value (a 5-point Newton-Cotes rule on each half) of each component.
  virtual void TwoNewtonCotes5(const double iA, const double iB, const double* iSamples,
                               double* oResults);
  /// A 7-point Clenshaw-Curtis rule on each half (four new evaluations through Eval), with
  /// an error estimate from the highest Chebyshev coefficient of each half. The estimate is
  /// non-negative from the level XelQuorVersionLevel_MathIntegration_BugTwoClenshawCurtis7
  /// on; at lower levels it carries the sign of iB - iA.
  virtual void TwoClenshawCurtis7(const double iA, const double iB, const double* iSamples,
                                  double* oResults, double* oErrors);

  /// The N integrals over [iA, iB] into oResults and their errors into oErrors (a scratch
  /// array is used when oErrors is null). Returns the status of CCRSubdivision, or 4 when
  /// oResults is null. Raises the library-wide count of nested integrations for its
  /// duration.
  int Integration(const double iA, const double iB, const double* iTol, double* oResults,
                  double* oErrors);

  /// Boole's rule on [iA, iB] from five samples per component at iA + k (iB - iA) / 4,
  /// stored sample by sample: (iB - iA) (7/90 (f0 + f4) + 16/45 (f1 + f3) + 2/15 f2).
  void Lagrange3(const double iA, const double iB, const double* iSamples, double* oResults) const;

  /// Depth at which intervals are accepted whatever their error (clamped to [0, 30]).
  void SetMaxDepth(long iDepth);
  /// Depth before which no interval is accepted (negative counts as 0).
  void SetMinDepth(long iDepth);
  long GetMaxDepth() const { return _maxDepth; }
  long GetMinDepth() const { return _minDepth; }
  long GetDimension() const { return _dimension; }
  /// Whether the work arrays live inside the object.
  bool HasInlineWorkArrays() const { return _work1 == _inlineWork; }

  /// Number of Integration calls under way in the whole library (nesting depth).
  static long GetNestedIntegrations() { return NestedIntegrations; }

protected:
  XelSoftwareConfiguration* GetConfiguration() const { return _configuration; }

private:
  double _inlineWork[2 * InlineDimension];
  double* _work1;
  double* _work2;
  long _dimension;
  long _maxDepth;
  long _minDepth;
  long _intervals; // sampled by the current subdivision
  XelSoftwareConfiguration* _configuration;

  static long NestedIntegrations;
};
