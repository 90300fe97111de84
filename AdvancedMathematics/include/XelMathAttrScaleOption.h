#pragma once
// Option "XelMathAttrScaleOption" (exclusive): in which powers of the model's scale factor S
// a function's values (F powers) and variables (X powers) are expressed, plus G powers for
// the analyses that need a third kind. A function whose values scale as S^F and whose
// variable scales as S^X is solved on a wrapper that brings both back to unit scale.
//
// Each list of powers is held inside the object when it has at most two entries and on the
// heap from three on; copies and assignment are deep. The reviewed flag tells that the
// caller has already expressed the option values in scaled units.
#include "XelMathAttribute.h"

class XELADVANCEDMATHEMATICS_EXPORT XelMathAttrScaleOption : public XelMathAttribute {
public:
  /// One F power and one X power, no G power, not reviewed.
  XelMathAttrScaleOption(long iPowerF, long iPowerX);
  /// The iNbF powers iPowersF, the iNbX powers iPowersX and the iNbG powers iPowersG
  /// (copied). A negative count counts as 0; a null array with a positive count gives
  /// zero powers; more powers than an array holds raise 0x20006 ("the number of powers").
  XelMathAttrScaleOption(long iNbF, const long* iPowersF, long iNbX, const long* iPowersX,
                         long iNbG, const long* iPowersG);
  XelMathAttrScaleOption(const XelMathAttrScaleOption& iOther);
  XelMathAttrScaleOption& operator=(const XelMathAttrScaleOption& iOther);
  ~XelMathAttrScaleOption() override;

  /// "XelMathAttrScaleOption".
  const char* GetType() const override;
  /// True.
  unsigned char IsExclusive() const override;

  /// The F powers; their count goes into oCount.
  const long* GetPowerScaleF(long& oCount) const;
  /// The X powers; their count goes into oCount.
  const long* GetPowerScaleX(long& oCount) const;
  /// The G powers; their count goes into oCount.
  const long* GetPowerScaleG(long& oCount) const;

  void SetOKReviewed(long iReviewed) { _reviewed = iReviewed; }
  long GetOKReviewed() const { return _reviewed; }

private:
  /// Points the three arrays at inline or heap storage for the current counts.
  void Alloc();
  /// Releases the heap storage of the three arrays.
  void Free();
  void Copy(long iNbF, const long* iPowersF, long iNbX, const long* iPowersX, long iNbG,
            const long* iPowersG);

  static const long InlineCount = 2;
  long _nbF;
  long* _powersF;
  long _nbX;
  long* _powersX;
  long _nbG;
  long* _powersG;
  long _reviewed;
  long _inlineF[InlineCount];
  long _inlineX[InlineCount];
  long _inlineG[InlineCount];
};
