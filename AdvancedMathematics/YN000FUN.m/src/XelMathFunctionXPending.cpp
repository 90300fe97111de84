// TEMPORARY bodies of operations whose real implementation lives with the classes that are
// being written now. Each owner moves its body into its own source file and deletes it here;
// this file disappears once empty.
#include "XelMathFunctionRN.h"
#include "XelMathFunctionX.h"

