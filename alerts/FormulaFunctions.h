// The function picker of the formula wizard: the functions of each category, the
// parameters and outputs of the technical indicators, and the call that "Add" inserts.
#pragma once

#include "platform/core/CString.h"

#include <vector>

// Function categories: 0 all, 1 quote, 2 technical, 3 option, 4 system.
enum EFunctionCategory : int {
    kCategoryAll = 0,
    kCategoryQuote = 1,
    kCategoryTechnical = 2,
    kCategoryOption = 3,
    kCategorySystem = 4,
};
// "A", "Q", "T", "O", "S".
const char* FunctionCategoryLetter(int category);

// Which of the wizard's parameter fields a parameter uses: the source combo, one of the
// three edits or the interval combo.
enum EParamField : int { kFieldSourceCombo = 0, kFieldEdit1, kFieldEdit2, kFieldEdit3, kFieldIntervalCombo };

struct CWizardParameter {
    const char* label;
    EParamField field;
    const char* defaultText;
};

struct CWizardIndicator {
    const char* name;
    std::vector<CWizardParameter> parameters;  // in argument order
    std::vector<const char*> outputs;          // offered in "Fields"
    bool offered;                              // "StochRSI" is not
};

// The technical indicators in table order (StochRSI included, not offered).
const std::vector<CWizardIndicator>& WizardIndicators();
// The indicator of a name, or null.
const CWizardIndicator* FindWizardIndicator(const char* name);

// Quote and option fields in formula form ("Last", "YesterdayClose", "PctChange", ...).
std::vector<CString> QuoteFunctionNames();
std::vector<CString> OptionFunctionNames();
// "Year", "Month", "Day Of Week", ... "EntryTime".
std::vector<CString> SystemFunctionNames();
// The names a category lists (technical: every offered indicator).
std::vector<CString> FunctionNamesOfCategory(int category);
// The 30 quote and option fields in formula form, for a price alert's field picker.
std::vector<CString> PriceFieldNames();
// The quote field id of a field name in formula form; "Last" (3) for any other name.
int PriceFieldIdOfName(const char* name);
// The formula form of a quote field id, or "" when the picker does not offer it.
CString PriceFieldNameOfId(int id);
bool IsSystemFunction(const char* name);

// The call "3. Add" inserts: the "Fields" text, then for an indicator each parameter
// text in order and the bars-ago text when it is not "0" or a symbol override is
// given, then the override; "name[arguments]", or the name alone without arguments.
CString BuildFunctionCall(const char* name, const char* fields, const std::vector<CString>& parameters,
                          const char* barsAgo, const char* symbolOverride);
