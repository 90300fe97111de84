#include <gtest/gtest.h>

#include "XelMathInputError.h"

TEST(XelError, CarriesCodeTextsFileAndLine) {
  try {
    XelMathRaise(0x20006, "the XelMathAttrScaleOption", "wrong dimension", "XelMathFunctionX::Solve");
    FAIL();
  } catch (const XelMathInputError& error) {
    EXPECT_EQ(error.GetCode(), 0x20006);
    EXPECT_EQ(error.GetNumberOfParameters(), 3);
    EXPECT_STREQ(error.GetParameter(1), "wrong dimension");
    EXPECT_NE(std::string(error.GetSourceFile()).find("kernelbase_test"), std::string::npos);
    EXPECT_GT(error.GetLine(), 0);
  }
}
