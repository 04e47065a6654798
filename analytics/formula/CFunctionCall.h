// A checked function call of a formula: short name, output field, parameters, symbol and
// bar offset.
#pragma once

#include "platform/core/CString.h"

#include <vector>

class CFunctionCall {
public:
    CString m_function;             // short name
    CString m_output;
    std::vector<CString> m_params;  // as typed
    CString m_symbol;               // empty: the formula's symbol
    int m_nBarOffset = 0;           // never negative
};

struct CFormulaFunction;

// Checks the argument text of a call of `function`; on success fills `call` (the short
// name as function) and returns true, else returns false with the message in `error`.
bool CheckFunctionArgs(const char* args, const CFormulaFunction& function, CFunctionCall& call, CString& error);

// Symbols inside formulas: letters, digits and . _ $ + / - # only, at most 31 characters.
bool IsFormulaSymbolText(const char* text);
// Largest bar offset a formula may ask for.
constexpr int kMaxFormulaBarOffset = 1000;
