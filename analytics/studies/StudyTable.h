// The table of built-in studies: names, parameter kinds, outputs and warm-up counts.
#pragma once

#include <array>

namespace studies {

enum StudyType : int {
    kADX = 0, kBB, kCHOP, kMA, kEMA, kMACD, kMOM, kOBV, kPRC, kRSI,
    kSTOC, kATR, kCCI, kKB, kMFI, kSRSI, kCOSC, kUOSC, kPSAR, kMAE,
    kAD, kCMF, kAROON, kTSF, kDEMA, kTEMA, kAMA, kEQTY, kSRSI2, kBar,
};

constexpr int kStudyTypeCount = 30;
constexpr int kMaxStudyOutputs = 5;
constexpr int kMaxStudyParams = 5;

// Parameter kinds of a study row.
enum ParamKind : int {
    kParamPriceField = 0,
    kParamNumber = 1,
    kParamInteger = 2,
    kParamBoolean = 3,
    kParamInterval = 5,
};

struct StudyTableRow {
    const char* name;
    int paramCount;
    std::array<int, kMaxStudyParams> paramKinds;
    int outputCount;
    std::array<const char*, kMaxStudyOutputs> outputs;
};

// Row of a study type 0-29; nullptr outside.
const StudyTableRow* GetStudyRow(int type);

// "Open" .. "Volume" by field number 0-4; nullptr outside.
const char* GetPriceFieldName(int field);
// Field number 0-4 of an exact price-field name, -1 for any other text.
int FindPriceField(const char* name);

// Study type whose name equals the text exactly (case-sensitive), -1 when none.
int FindStudyTypeByName(const char* name, int nameLength);

// Position of an output name in a study's outputs (case-sensitive), -1 when absent.
int FindStudyOutput(int type, const char* name);

// Extra records a study series loads before its visible ones, from the type and
// the parameters p0-p3.
int ComputeWarmUpCount(int type, const double params[4]);

// Allowed ranges of study parameters: integer lengths, bar displacements and real
// widths. Values outside are refused before they reach the computations.
constexpr int kMinStudyLength = 1;
constexpr int kMaxStudyLength = 1000;
constexpr int kMaxDisplacement = 1000;
constexpr double kMaxStudyReal = 1000.0;

// True when parameter `index` of the type is a bar displacement (may be negative).
bool IsDisplacementParam(int type, int index);

// Checks every parameter of a study row against the ranges above.
bool ValidateStudyParams(int type, const double params[4]);

} // namespace studies
