// The items of a compiled formula, in postfix order.
#pragma once

#include "analytics/formula/CFunctionCall.h"
#include "platform/core/CString.h"

#include <memory>

class CSymbolHandle;
class CStudySource;
class CMarketDepthHandle;

enum EFormulaItemKind : int {
    kItemConstant = 0,
    kItemTimeValue = 1,
    kItemQuoteField = 2,
    kItemSeriesField = 3,
    kItemOperator = 4,
    kItemDepthField = 5,
};

// Operator codes of the language.
enum EFormulaOperator : int {
    kOpAdd = 0, kOpSub, kOpMul, kOpDiv, kOpMod, kOpPow, kOpLess, kOpLessEqual, kOpNotEqual, kOpEqual,
    kOpGreater, kOpGreaterEqual, kOpAnd, kOpOr, kOpOpen, kOpClose, kOpBottom, kOpEnd,
};

class CFormulaItem {
public:
    explicit CFormulaItem(int kind, double value = 0) : m_nKind(kind), m_value(value) {}
    virtual ~CFormulaItem() = default;
    CFormulaItem(const CFormulaItem&) = delete;
    CFormulaItem& operator=(const CFormulaItem&) = delete;

    int m_nKind;
    double m_value = 0;
    bool m_bValid = false;
};

// Time and trade values (index 0..11) and quote fields.
class CFormulaValueItem : public CFormulaItem {
public:
    CFormulaValueItem(int kind, int index) : CFormulaItem(kind), m_nIndex(index) {}
    int m_nIndex;                     // time-name index or quote field identifier
    CSymbolHandle* m_pInput = nullptr;
    std::unique_ptr<CFunctionCall> m_pCall;
};

class CFormulaSeriesItem : public CFormulaItem {
public:
    explicit CFormulaSeriesItem(std::unique_ptr<CFunctionCall> call)
        : CFormulaItem(kItemSeriesField), m_field(call->m_output), m_nBarOffset(call->m_nBarOffset),
          m_pCall(std::move(call))
    {
    }
    CStudySource* m_pInput = nullptr;
    CString m_field;
    int m_nBarOffset;
    int m_nFieldIndex = -1; // field number in the input, set when the inputs are resolved
    // The input's bars are shorter than the chart source's (set when the inputs are resolved).
    bool m_bFinerThanChart = false;
    std::unique_ptr<CFunctionCall> m_pCall;
};

class CFormulaOperatorItem : public CFormulaItem {
public:
    explicit CFormulaOperatorItem(int code) : CFormulaItem(kItemOperator), m_nCode(code) {}
    int m_nCode;
};

class CFormulaDepthItem : public CFormulaItem {
public:
    explicit CFormulaDepthItem(std::unique_ptr<CFunctionCall> call)
        : CFormulaItem(kItemDepthField), m_selector(call->m_params.empty() ? CString() : call->m_params[0]),
          m_pCall(std::move(call))
    {
    }
    CMarketDepthHandle* m_pInput = nullptr;
    int m_nSide = 0;  // 0 bid, 1 ask
    int m_nField = 1; // 1 price, 2 size
    CString m_selector;
    std::unique_ptr<CFunctionCall> m_pCall;
};
