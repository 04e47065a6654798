#include "analytics/studies/StudyTable.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace studies {

namespace {

const StudyTableRow kRows[kStudyTypeCount] = {
    {"ADX", 3, {2, 2, 5, 0, 0}, 3, {"ADX", "+DI", "-DI", nullptr, nullptr}},
    {"BB", 4, {0, 2, 1, 5, 0}, 3, {"Basis", "Upper", "Lower", nullptr, nullptr}},
    {"CHOP", 2, {2, 5, 0, 0, 0}, 4, {"Chop", "TrueHigh", "TrueLow", "TR", nullptr}},
    {"MA", 4, {0, 2, 2, 5, 0}, 3, {"MA", "WMA", "VWMA", nullptr, nullptr}},
    {"EMA", 4, {0, 2, 2, 5, 0}, 1, {"EMA", nullptr, nullptr, nullptr, nullptr}},
    {"MACD", 5, {0, 2, 2, 2, 5}, 5, {"MACD", "MA1", "MA2", "Signal", "Diff"}},
    {"MOM", 4, {0, 2, 3, 5, 0}, 1, {"Momentum", nullptr, nullptr, nullptr, nullptr}},
    {"OBV", 1, {5, 0, 0, 0, 0}, 1, {"OBV", nullptr, nullptr, nullptr, nullptr}},
    {"PRC", 3, {2, 2, 5, 0, 0}, 3, {"Mid", "Upper", "Lower", nullptr, nullptr}},
    {"RSI", 2, {2, 5, 0, 0, 0}, 3, {"RSI", "HAVG", "LAVG", nullptr, nullptr}},
    {"STOC", 4, {2, 2, 2, 5, 0}, 3, {"StocK", "StocD", "Raw", nullptr, nullptr}},
    {"ATR", 2, {2, 5, 0, 0, 0}, 1, {"ATR", nullptr, nullptr, nullptr, nullptr}},
    {"CCI", 2, {2, 5, 0, 0, 0}, 1, {"CCI", nullptr, nullptr, nullptr, nullptr}},
    {"KB", 3, {2, 1, 5, 0, 0}, 3, {"Mid", "Upper", "Lower", nullptr, nullptr}},
    {"MFI", 2, {2, 5, 0, 0, 0}, 1, {"MFI", nullptr, nullptr, nullptr, nullptr}},
    {"SRSI", 2, {2, 5, 0, 0, 0}, 1, {"StochRSI", nullptr, nullptr, nullptr, nullptr}},
    {"COSC", 3, {2, 2, 5, 0, 0}, 1, {"OSC", nullptr, nullptr, nullptr, nullptr}},
    {"UOSC", 4, {2, 2, 2, 5, 0}, 1, {"OSC", nullptr, nullptr, nullptr, nullptr}},
    {"PSAR", 4, {1, 1, 1, 5, 0}, 1, {"PSAR", nullptr, nullptr, nullptr, nullptr}},
    {"MAE", 4, {0, 2, 1, 5, 0}, 3, {"MA", "Upper", "Lower", nullptr, nullptr}},
    {"AD", 1, {5, 0, 0, 0, 0}, 1, {"AD", nullptr, nullptr, nullptr, nullptr}},
    {"CMF", 2, {2, 5, 0, 0, 0}, 1, {"CMF", nullptr, nullptr, nullptr, nullptr}},
    {"AROON", 2, {2, 5, 0, 0, 0}, 2, {"Up", "Down", nullptr, nullptr, nullptr}},
    {"TSF", 4, {0, 2, 2, 5, 0}, 3, {"TSF", "Slope", "R2", nullptr, nullptr}},
    {"DEMA", 4, {0, 2, 2, 5, 0}, 1, {"DEMA", nullptr, nullptr, nullptr, nullptr}},
    {"TEMA", 4, {0, 2, 2, 5, 0}, 1, {"TEMA", nullptr, nullptr, nullptr, nullptr}},
    {"AMA", 5, {0, 2, 2, 2, 5}, 1, {"AMA", nullptr, nullptr, nullptr, nullptr}},
    {"EQTY", 1, {5, 0, 0, 0, 0}, 1, {"EQTY", nullptr, nullptr, nullptr, nullptr}},
    {"SRSI2", 5, {2, 2, 2, 2, 5}, 2, {"StocK", "StocD", nullptr, nullptr, nullptr}},
    {"Bar", 1, {5, 0, 0, 0, 0}, 5, {"Open", "High", "Low", "Close", "Volume"}},
};

const char* const kPriceFields[5] = {"Open", "High", "Low", "Close", "Volume"};

int I(double v)
{
    return static_cast<int>(v);
}

} // namespace

const StudyTableRow* GetStudyRow(int type)
{
    if (type < 0 || type >= kStudyTypeCount)
        return nullptr;
    return &kRows[type];
}

const char* GetPriceFieldName(int field)
{
    return field >= 0 && field < 5 ? kPriceFields[field] : nullptr;
}

int FindPriceField(const char* name)
{
    if (!name)
        return -1;
    for (int i = 0; i < 5; ++i)
        if (std::strcmp(name, kPriceFields[i]) == 0)
            return i;
    return -1;
}

int FindStudyTypeByName(const char* name, int nameLength)
{
    if (!name || nameLength <= 0)
        return -1;
    for (int t = 0; t < kStudyTypeCount; ++t) {
        const char* rowName = kRows[t].name;
        if (static_cast<int>(std::strlen(rowName)) == nameLength && std::strncmp(rowName, name, nameLength) == 0)
            return t;
    }
    return -1;
}

int FindStudyOutput(int type, const char* name)
{
    const StudyTableRow* row = GetStudyRow(type);
    if (!row || !name)
        return -1;
    for (int o = 0; o < row->outputCount; ++o)
        if (std::strcmp(row->outputs[o], name) == 0)
            return o;
    return -1;
}

int ComputeWarmUpCount(int type, const double p[4])
{
    double b = 0;
    switch (type) {
    case kADX: b = I(p[0]) + 8 * I(p[1]); break;
    case kBB:
    case kMAE: b = I(p[1]) - 1; break;
    case kCHOP:
    case kATR:
    case kCCI:
    case kKB:
    case kMFI: b = I(p[0]); break;
    case kMA:
    case kTSF: b = I(std::abs(I(p[2])) + p[1] - 1); break;
    case kEMA: b = 4 * I(std::abs(I(p[2])) + p[1]); break;
    case kDEMA: b = 8 * I(std::abs(I(p[2])) + p[1]); break;
    case kTEMA: b = 12 * I(std::abs(I(p[2])) + p[1]); break;
    case kMACD: b = 4 * (I(p[3]) + I(std::max(p[1], p[2]))); break;
    case kMOM: b = I(p[1]); break;
    case kOBV:
    case kAD: b = 50; break;
    case kPRC: b = I(std::abs(I(p[1])) + p[0] - 1); break;
    case kRSI: b = 8 * I(p[0]); break;
    case kSTOC: b = I(p[0] + p[1] + p[2] - 2); break;
    case kSRSI: b = 9 * I(p[0]); break;
    case kCOSC: b = I(4 * std::max(p[0], p[1])); break;
    case kUOSC: b = I(std::max({p[0], p[1], p[2]}) + 1); break;
    case kPSAR: b = 151; break;
    case kCMF:
    case kAROON: b = I(p[0]) - 1; break;
    case kAMA: b = 4 * I(p[1]); break;
    case kSRSI2: b = I(p[1] + p[2] + p[3] - 2) + 8 * I(p[0]); break;
    default: b = 0; break;
    }
    const int warm = static_cast<int>(b * 1.5);
    return warm > 0 ? warm : 0;
}

bool IsDisplacementParam(int type, int index)
{
    switch (type) {
    case kMA:
    case kEMA:
    case kDEMA:
    case kTEMA:
    case kTSF: return index == 2;
    case kPRC: return index == 1;
    default: return false;
    }
}

bool ValidateStudyParams(int type, const double params[4])
{
    const StudyTableRow* row = GetStudyRow(type);
    if (!row)
        return false;
    for (int i = 0; i < row->paramCount && i < 4; ++i) {
        const double v = params[i];
        if (!std::isfinite(v))
            return false;
        switch (row->paramKinds[i]) {
        case kParamPriceField:
            if (v < 0 || v > 4 || v != std::floor(v))
                return false;
            break;
        case kParamInteger: {
            const double t = std::trunc(v);
            if (IsDisplacementParam(type, i)) {
                if (t < -kMaxDisplacement || t > kMaxDisplacement)
                    return false;
            } else if (t < kMinStudyLength || t > kMaxStudyLength) {
                return false;
            }
            break;
        }
        case kParamNumber:
            if (v < 0 || v > kMaxStudyReal)
                return false;
            break;
        default: break;
        }
    }
    return true;
}

} // namespace studies
