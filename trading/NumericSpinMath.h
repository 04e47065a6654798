// The arithmetic of the numeric spin button: the text of a value, the control position
// of a value and the value after a click.
#pragma once

#include "platform/core/CString.h"

// With a format of the caller's, that format; with decimals -1 "%g"; otherwise fixed
// (scientific when "%g" would be) with that many decimals, trailing zeros and then a
// trailing point removed when trimZeros is set.
CString FormatSpinValue(double value, int decimals, const char* format, bool trimZeros, char decimalPoint = '.');
// The whole part of abs((maximum - minimum) / step), at most the largest 32-bit value;
// 0 for a step of 0.
int SpinPositionCount(double minimum, double maximum, double step);
// 0 below the minimum, positions at or above the maximum, otherwise the rounded share.
int SpinPosition(double value, double minimum, double maximum, int positions);
// current + delta * step, taken back to the bound it passed (or round to the other one
// when wrap is set) when it passes a bound by more than a rounding tolerance.
double SpinClick(double current, int delta, double step, double minimum, double maximum, bool wrap);
