// Readers and writers between a study's fields and its settings dialog. Readers validate
// one control into one field; a refused value is told in a message box, the field takes
// the reader's default and the reader returns false, which ends the study's reading chain.
#pragma once

#include "platform/core/CString.h"
#include "platform/core/WinTypes.h"

class IStudyDialog;

// Control ids shared by every study dialog.
enum EStudyControl : int {
    kCtlSource = 1004,
    kCtlOffset = 1009,
    kCtlThickness1 = 1010,
    kCtlLength = 1014,
    kCtlLength2 = 1015,
    kCtlSmoothing = 1016,
    kCtlLowerBand = 1017,
    kCtlUpperBand = 1018,
    kCtlColor1 = 1019,
    kCtlCheck1 = 1020,
    kCtlCheck2 = 1021,
    kCtlColor2 = 1022,
    kCtlThickness2 = 1023,
    kCtlCheck3 = 1024,
    kCtlThickness3 = 1025,
    kCtlColor3 = 1026,
    kCtlColor4 = 1027,
    kCtlStudyName = 1175,
    kCtlFormula = 1176,
    kCtlReal1 = 1180,
    kCtlRealUpper = 1181,
    kCtlRealLower = 1182,
    kCtlOverrideLabel = 1213,
    kCtlSymbolOverride = 1214,
    kCtlFirstSpin = 1301,
    kCtlLastSpin = 1308,
};

// Bounds of the integer readers by edit control: false for an edit that no integer
// reader reads. The settings dialog gives its spinners the same ranges.
bool GetIntegerControlRange(int controlId, int& minimum, int& maximum);

// Generic readers.
bool ReadIntText(IStudyDialog& dlg, CString& field, int id, const char* name, int minimum, int def, int maximum);
bool ReadIntValue(IStudyDialog& dlg, int& field, int id, const char* name, int minimum, int def, int maximum);
bool ReadRealText(IStudyDialog& dlg, CString& field, int id, const char* name, double minimum, double def,
                  double maximum);
bool ReadRealValue(IStudyDialog& dlg, double& field, int id, const char* name, double minimum, double def,
                   double maximum);
bool ReadRealUnbounded(IStudyDialog& dlg, double& field, int id, const char* name, double def);
bool ReadColor(IStudyDialog& dlg, COLORREF& field, int id);
bool ReadCheck(IStudyDialog& dlg, bool& field, int id);
bool ReadSource(IStudyDialog& dlg, CString& field);
bool ReadSymbolOverride(IStudyDialog& dlg, CString& field);

// Bound readers.
bool ReadLength(IStudyDialog& dlg, CString& field);
bool ReadLength2(IStudyDialog& dlg, CString& field);
bool ReadOffset(IStudyDialog& dlg, CString& field);
bool ReadSmoothing(IStudyDialog& dlg, CString& field);
bool ReadThickness1(IStudyDialog& dlg, int& field);
bool ReadThickness2(IStudyDialog& dlg, int& field);
bool ReadThickness3(IStudyDialog& dlg, int& field);
bool ReadUpperBand(IStudyDialog& dlg, int& field);
bool ReadLowerBand(IStudyDialog& dlg, int& field);
bool ReadStdDeviation(IStudyDialog& dlg, CString& field);
bool ReadMultiplier(IStudyDialog& dlg, CString& field);
bool ReadRealUpperBand(IStudyDialog& dlg, double& field, double minimum, double def, double maximum);
bool ReadRealLowerBand(IStudyDialog& dlg, double& field, double minimum, double def, double maximum);

// Writers; all return true except a colour for a missing combo.
bool WriteText(IStudyDialog& dlg, int id, const CString& text);
bool WriteInt(IStudyDialog& dlg, int id, int value);
bool WriteDouble(IStudyDialog& dlg, int id, double value);
bool WriteColor(IStudyDialog& dlg, int id, COLORREF color);
bool WriteCheck(IStudyDialog& dlg, int id, bool checked);
bool WriteSymbolOverride(IStudyDialog& dlg, const CString& symbol);

// "%d" and "%g" texts, as the readers normalise them.
CString IntText(int value);
CString RealText(double value);
