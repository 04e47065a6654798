// A formula evaluated over a block of bars at once: every operand is a column of the block's
// values with a flag per bar telling whether it has one, and every operator runs over whole
// columns. A bar's result equals what the formula gives for that bar alone.
#pragma once

#include "platform/core/WinTypes.h"

constexpr int kFormulaBlock = 512;

struct CFormulaColumn {
    CFormulaColumn() = default;
    CFormulaColumn(const CFormulaColumn&) = delete;
    CFormulaColumn& operator=(const CFormulaColumn&) = delete;

    // The values: in `v`, or read where they lie (a series' own array) until an operator
    // writes the column.
    const double* values = v;
    double v[kFormulaBlock] = {};
    BYTE ok[kFormulaBlock] = {}; // read only when allOk is false
    bool allOk = true;           // every bar has a value
    bool boolean = false;        // every value of a bar with one is 0 or 1

    // The same value (with or without one) on every bar.
    void Fill(double value, bool has, int n);
};

// left = left `code` right over n bars, with the rules of ApplyFormulaOperator: a bar has a
// result when both operands have one and the operator gives one.
void ApplyColumnOperator(int code, CFormulaColumn& left, const CFormulaColumn& right, int n);
