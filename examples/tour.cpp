// A tour of XelAdvancedMathematics.
#include <cstdio>

int main() {
  std::printf("XelAdvancedMathematics tour\n");
  return 0;
}
