// The binary operators of the formula language.
#pragma once

// Tolerance of the comparisons.
constexpr double kFormulaTolerance = 0.00005;

// Applies operator `code` (kOpAdd .. kOpOr); false when the operation has no value:
// division or remainder by zero, or an integer operator on a value outside 32 bits.
bool ApplyFormulaOperator(int code, double left, double right, double& result);
