// A formula evaluated over a block of bars at once: every operand is a column of the block's
// values with a flag per bar telling whether it has one, and every operator runs over whole
// columns. A bar's result equals what the formula gives for that bar alone.
#pragma once

#include "platform/core/WinTypes.h"

constexpr int kFormulaBlock = 256;

struct CFormulaColumn {
    double v[kFormulaBlock];
    BYTE ok[kFormulaBlock];
    bool allOk = true;    // every ok flag is set
    bool boolean = false; // every value with ok set is 0 or 1

    // The same value (with or without one) on every bar.
    void Fill(double value, bool has, int n);
};

// left = left `code` right over n bars, with the rules of ApplyFormulaOperator: a bar has a
// result when both operands have one and the operator gives one.
void ApplyColumnOperator(int code, CFormulaColumn& left, const CFormulaColumn& right, int n);
