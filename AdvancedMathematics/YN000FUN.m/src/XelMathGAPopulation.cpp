// Populations of the differential-evolution optimizer: counted storage of the members, the
// initial draw inside the limits and the statistics of the extremal members.
#include "XelMathGAPopulation.h"

#include <cstdlib>

#include "XelMathInternalConstants.h"
#include "XelMathInternalGuards.h"
#include "XelQuorMemory.h"

namespace {

/// Most members whose storage the memory services can serve.
constexpr long MaxMembers = static_cast<long>(XelQuorMaxBlockBytes / sizeof(XelMathGAIndividual));

std::size_t BytesOf(long iSize) {
  return static_cast<std::size_t>(iSize) * sizeof(XelMathGAIndividual);
}

const XelMathGAPopulation& Existing(const XelMathGAPopulation* iPopulation) {
  if (!iPopulation)
    XelMathRaiseForbidden("XelMathGAPopulation::XelMathGAPopulation", __FILE__, __LINE__);
  return *iPopulation;
}

} // namespace

XelMathGAPopulation::XelMathGAPopulation(long iSize, long iNumParams, const double* iLower,
                                         const double* iUpper)
    : _indexOfMax(0), _indexOfMin(0), _maxFitness(0.0), _minFitness(0.0), _size(0),
      _numParams(iNumParams), _lower(iLower), _upper(iUpper), _members(nullptr) {
  if (iSize < 0 || iSize > MaxMembers)
    XelMathRaise(XelErrorCode::InvalidNumberOfPoints, "the population size",
                 "Invalid Number Of Points", "XelMathGAPopulation::XelMathGAPopulation");
  if (iNumParams < 1 || iNumParams > XelMathGAMaxParams)
    XelMathRaise(XelErrorCode::InvalidOption, "the number of parameters", "Dimension not valid",
                 "XelMathGAPopulation::XelMathGAPopulation");
  Allocate(iSize);
}

XelMathGAPopulation::XelMathGAPopulation(const XelMathGAPopulation* iOther)
    : XelMathGAPopulation(Existing(iOther)) {}

XelMathGAPopulation::XelMathGAPopulation(const XelMathGAPopulation& iOther)
    : XelQuorVirtual(iOther), _indexOfMax(iOther._indexOfMax), _indexOfMin(iOther._indexOfMin),
      _maxFitness(iOther._maxFitness), _minFitness(iOther._minFitness), _size(0),
      _numParams(iOther._numParams), _lower(iOther._lower), _upper(iOther._upper),
      _members(nullptr) {
  Allocate(iOther._size);
  for (long i = 0; i < _size; ++i)
    _members[i] = iOther._members[i];
}

XelMathGAPopulation& XelMathGAPopulation::operator=(const XelMathGAPopulation& iOther) {
  if (this == &iOther)
    return *this;
  if (_size != iOther._size) {
    Release();
    Allocate(iOther._size);
  }
  for (long i = 0; i < _size; ++i)
    _members[i] = iOther._members[i];
  _indexOfMax = iOther._indexOfMax;
  _indexOfMin = iOther._indexOfMin;
  _maxFitness = iOther._maxFitness;
  _minFitness = iOther._minFitness;
  _numParams = iOther._numParams;
  _lower = iOther._lower;
  _upper = iOther._upper;
  return *this;
}

XelMathGAPopulation::~XelMathGAPopulation() {
  Release();
}

void XelMathGAPopulation::Allocate(long iSize) {
  if (iSize > 0) {
    _members = static_cast<XelMathGAIndividual*>(xelquornew(BytesOf(iSize)));
    for (long i = 0; i < iSize; ++i)
      _members[i] = XelMathGAIndividual{};
  }
  _size = iSize;
}

void XelMathGAPopulation::Release() {
  if (_members)
    xelquordel(_members, BytesOf(_size));
  _members = nullptr;
  _size = 0;
}

long XelMathGAPopulation::GetDynamicMemoryBytes() const {
  return static_cast<long>(BytesOf(_size));
}

long XelMathGAPopulation::GetStaticMemoryBytes() const {
  return static_cast<long>(sizeof(XelMathGAPopulation));
}

const XelMathGAIndividual& XelMathGAPopulation::GetMember(long i) const {
  if (i < 0 || i >= _size)
    XelMathRaise(XelErrorCode::WrongIndex, "Wrong Index", "the member",
                 "XelMathGAPopulation::GetMember");
  return _members[i];
}

void XelMathGAPopulation::Draw() {
  if (!_lower || !_upper)
    XelMathRaise(XelErrorCode::InvalidDomain, "the parameter limits", "Invalid Domain",
                 "XelMathGAPopulation::Draw");
  for (long i = 0; i < _size; ++i) {
    XelMathGAIndividual& member = _members[i];
    for (long j = 0; j < _numParams; ++j) {
      double value = _lower[j] + drand48() * (_upper[j] - _lower[j]);
      // The rounding of the product and the sum may step past the upper limit.
      member.parameters[j] = value > _upper[j] ? _upper[j] : value;
    }
    member.fitness = 0.0;
  }
}

void XelMathGAPopulation::ComputeStatistics() {
  for (long i = 0; i < _size; ++i)
    UpdateStatistics(i);
}

void XelMathGAPopulation::UpdateStatistics(long i) {
  if (i < 0 || i >= _size)
    XelMathRaise(XelErrorCode::WrongIndex, "Wrong Index", "the member",
                 "XelMathGAPopulation::UpdateStatistics");
  const double fitness = _members[i].fitness;
  if (i == 0) {
    _indexOfMax = _indexOfMin = 0;
    _maxFitness = _minFitness = fitness;
    return;
  }
  if (fitness > _maxFitness) {
    _indexOfMax = i;
    _maxFitness = fitness;
  }
  if (fitness < _minFitness) {
    _indexOfMin = i;
    _minFitness = fitness;
  }
}
