#include "XelMathConstants.h"

const double XelPI = 3.14159265358979323846;
const double Xel2PI = 6.28318530717958647692;
const double XelPIBY2 = 1.57079632679489661923;
const double Xel3PIBY2 = 4.71238898038468985769;
const double XelINV2PI = 0.15915494309189533577;
const double XelSQRT3 = 1.73205080756887729353;
const double XelDegreeToRadian = 0.01745329251994329577;
const double XelRadianToDegree = 57.2957795130823208768;
const double XelMathInfinite = 1.0e30;

double XelHardTol(double iLiteral) { return iLiteral; }
