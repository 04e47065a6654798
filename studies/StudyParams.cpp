#include "studies/StudyParams.h"

#include "analytics/formula/FormulaNames.h"
#include "studies/IStudyDialog.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>

namespace {
constexpr int kMaxLength = 1000;
constexpr int kMaxThickness = 15;

// A C decimal integer: leading blanks, an optional sign and digits; no digits give 0.
// Values beyond a long saturate, which every range refuses.
long ParseInteger(const CString& text)
{
    return std::strtol(text, nullptr, 10);
}

double ParseReal(const CString& text)
{
    return std::strtod(text, nullptr);
}

void Refuse(IStudyDialog& dlg, const CString& message)
{
    dlg.ShowMessage(message);
    dlg.FocusDialog();
}

CString IntegerMessage(const char* name, int minimum, int maximum)
{
    CString text;
    text.Format("%s must be an integer between %d and %d", name, minimum, maximum);
    return text;
}

CString RealMessage(const char* name, double minimum, double maximum)
{
    CString text;
    text.Format("%s must be a real number between %.0lf and %.0lf", name, minimum, maximum);
    return text;
}

bool InRange(double x, double minimum, double maximum)
{
    return minimum <= x && x <= maximum;  // NaN is never in range
}
}  // namespace

CString IntText(int value)
{
    CString text;
    text.Format("%d", value);
    return text;
}

CString RealText(double value)
{
    CString text;
    text.Format("%g", value);
    return text;
}

bool GetIntegerControlRange(int controlId, int& minimum, int& maximum)
{
    switch (controlId) {
    case kCtlLength:
    case kCtlLength2:
    case kCtlSmoothing:
    case kCtlCheck1:  // an edit in the dialogs that read a third length there
        minimum = 1;
        maximum = kMaxLength;
        return true;
    case kCtlOffset:
    case kCtlLowerBand:
    case kCtlUpperBand:
        minimum = -kMaxLength;
        maximum = kMaxLength;
        return true;
    case kCtlThickness1:
    case kCtlThickness2:
    case kCtlThickness3:
        minimum = 1;
        maximum = kMaxThickness;
        return true;
    default:
        return false;
    }
}

bool ReadIntText(IStudyDialog& dlg, CString& field, int id, const char* name, int minimum, int def, int maximum)
{
    int value = 0;
    const bool read = ReadIntValue(dlg, value, id, name, minimum, def, maximum);
    field = IntText(value);
    return read;
}

bool ReadIntValue(IStudyDialog& dlg, int& field, int id, const char* name, int minimum, int def, int maximum)
{
    const long n = ParseInteger(dlg.GetText(id));
    if (n < minimum || n > maximum) {
        Refuse(dlg, IntegerMessage(name, minimum, maximum));
        field = def;
        return false;
    }
    field = static_cast<int>(n);
    return true;
}

bool ReadRealText(IStudyDialog& dlg, CString& field, int id, const char* name, double minimum, double def,
                  double maximum)
{
    double value = 0;
    const bool read = ReadRealValue(dlg, value, id, name, minimum, def, maximum);
    field = RealText(value);
    return read;
}

bool ReadRealValue(IStudyDialog& dlg, double& field, int id, const char* name, double minimum, double def,
                   double maximum)
{
    const double x = ParseReal(dlg.GetText(id));
    if (!InRange(x, minimum, maximum)) {
        Refuse(dlg, RealMessage(name, minimum, maximum));
        field = def;
        return false;
    }
    field = x;
    return true;
}

bool ReadRealUnbounded(IStudyDialog& dlg, double& field, int id, const char* name, double def)
{
    const CString text = dlg.GetText(id);
    if (!IsNumberText(text)) {
        CString message;
        message.Format("%s must be a real number", name);
        Refuse(dlg, message);
        field = def;
        return false;
    }
    field = ParseReal(text);
    return true;
}

bool ReadColor(IStudyDialog& dlg, COLORREF& field, int id)
{
    COLORREF color = 0;
    if (!dlg.GetSelectedColor(id, color)) {
        dlg.ShowMessage("Please select a color");
        dlg.FocusControl(id);
        field = 0;
        return false;
    }
    field = color;
    return true;
}

bool ReadCheck(IStudyDialog& dlg, bool& field, int id)
{
    field = dlg.IsChecked(id);
    return true;
}

bool ReadSource(IStudyDialog& dlg, CString& field)
{
    CString text;
    if (!dlg.GetComboSelection(kCtlSource, text)) {
        dlg.ShowMessage("Please select a source");
        dlg.FocusControl(kCtlSource);
        field = "Close";
        return false;
    }
    field = text;
    return true;
}

bool ReadSymbolOverride(IStudyDialog& dlg, CString& field)
{
    const CString text = dlg.GetText(kCtlSymbolOverride);
    CString symbol;
    for (int i = 0; i < text.GetLength(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (!std::isspace(c))
            symbol += static_cast<char>(std::toupper(c));
    }
    field = symbol;
    return true;
}

bool ReadLength(IStudyDialog& dlg, CString& field)
{
    return ReadIntText(dlg, field, kCtlLength, "Length", 1, 14, kMaxLength);
}

bool ReadLength2(IStudyDialog& dlg, CString& field)
{
    return ReadIntText(dlg, field, kCtlLength2, "Length", 1, 14, kMaxLength);
}

bool ReadOffset(IStudyDialog& dlg, CString& field)
{
    return ReadIntText(dlg, field, kCtlOffset, "Offset", -kMaxLength, 3, kMaxLength);
}

bool ReadSmoothing(IStudyDialog& dlg, CString& field)
{
    return ReadIntText(dlg, field, kCtlSmoothing, "Smoothing", 1, 9, kMaxLength);
}

bool ReadThickness1(IStudyDialog& dlg, int& field)
{
    return ReadIntValue(dlg, field, kCtlThickness1, "Thickness", 1, 1, kMaxThickness);
}

bool ReadThickness2(IStudyDialog& dlg, int& field)
{
    return ReadIntValue(dlg, field, kCtlThickness2, "Thickness", 1, 1, kMaxThickness);
}

bool ReadThickness3(IStudyDialog& dlg, int& field)
{
    return ReadIntValue(dlg, field, kCtlThickness3, "Thickness", 1, 1, kMaxThickness);
}

bool ReadUpperBand(IStudyDialog& dlg, int& field)
{
    return ReadIntValue(dlg, field, kCtlUpperBand, "Upper band", -kMaxLength, 70, kMaxLength);
}

bool ReadLowerBand(IStudyDialog& dlg, int& field)
{
    return ReadIntValue(dlg, field, kCtlLowerBand, "Lower band", -kMaxLength, 30, kMaxLength);
}

bool ReadStdDeviation(IStudyDialog& dlg, CString& field)
{
    return ReadRealText(dlg, field, kCtlLength2, "Standard deviation", 0, 2, 10);
}

bool ReadMultiplier(IStudyDialog& dlg, CString& field)
{
    return ReadRealText(dlg, field, kCtlReal1, "Multiplier", 0, 1, 100);
}

bool ReadRealUpperBand(IStudyDialog& dlg, double& field, double minimum, double def, double maximum)
{
    return ReadRealValue(dlg, field, kCtlRealUpper, "Upper band", minimum, def, maximum);
}

bool ReadRealLowerBand(IStudyDialog& dlg, double& field, double minimum, double def, double maximum)
{
    return ReadRealValue(dlg, field, kCtlRealLower, "Lower band", minimum, def, maximum);
}

bool WriteText(IStudyDialog& dlg, int id, const CString& text)
{
    dlg.SetText(id, text);
    return true;
}

bool WriteInt(IStudyDialog& dlg, int id, int value)
{
    dlg.SetText(id, IntText(value));
    return true;
}

bool WriteDouble(IStudyDialog& dlg, int id, double value)
{
    dlg.SetText(id, RealText(value));
    return true;
}

bool WriteColor(IStudyDialog& dlg, int id, COLORREF color)
{
    return dlg.FillColors(id, color);
}

bool WriteCheck(IStudyDialog& dlg, int id, bool checked)
{
    dlg.SetChecked(id, checked);
    return true;
}

bool WriteSymbolOverride(IStudyDialog& dlg, const CString& symbol)
{
    dlg.SetText(kCtlSymbolOverride, symbol);
    return true;
}
