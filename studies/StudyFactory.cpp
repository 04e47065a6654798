#include "studies/StudyFactory.h"

#include "common/services/CAppSettings.h"
#include "platform/core/CArchive.h"
#include "studies/CADStudy.h"
#include "studies/CADXStudy.h"
#include "studies/CAMAStudy.h"
#include "studies/CATRStudy.h"
#include "studies/CAroonStudy.h"
#include "studies/CBollingerStudy.h"
#include "studies/CCCIStudy.h"
#include "studies/CCMFStudy.h"
#include "studies/CChaikinOscStudy.h"
#include "studies/CChoppinessStudy.h"
#include "studies/CCustomStudy.h"
#include "studies/CDonchianStudy.h"
#include "studies/CEquityCurveStudy.h"
#include "studies/CHorizontalLineStudy.h"
#include "studies/CKeltnerStudy.h"
#include "studies/CMACDStudy.h"
#include "studies/CMAEnvelopeStudy.h"
#include "studies/CMFIStudy.h"
#include "studies/CMomentumStudy.h"
#include "studies/CMovingAverageStudy.h"
#include "studies/COBVStudy.h"
#include "studies/CParabolicSARStudy.h"
#include "studies/CROCStudy.h"
#include "studies/CRSIStudy.h"
#include "studies/CStochRSIStudy.h"
#include "studies/CStochasticStudy.h"
#include "studies/CTSFStudy.h"
#include "studies/CUltimateOscStudy.h"
#include "studies/CVolumeStudy.h"

#include <utility>

namespace {
constexpr const char* kTypeNames[] = {
    "Volume",
    "Directional Movement (ADX)",
    "Bollinger Bands",
    "Choppiness",
    "Moving Averages (SMA, EMA, WMA)",
    "Moving Average (exponential)",
    "MACD",
    "Momentum",
    "ROC",
    "On Balance Volume",
    "Donchian Channels",
    "RSI",
    "Stochastic",
    "Keltner Bands",
    "CCI",
    "Average True Range",
    "Money Flow Index",
    "StochasticRSI",
    "Custom",
    "Chaikin Oscillator",
    "Ultimate Oscillator",
    "Parabolic SAR",
    "MA Envelopes",
    "Accumulation/Distribution",
    "Chaikin Money Flow",
    "Aroon",
    "Time Series Forecast",
    "Horizontal Line",
    "Adaptive Moving Average",
    "Equity Curve",
};
static_assert(std::size(kTypeNames) == kLastStudyType - kFirstStudyType + 1);

void TellUser(const char* text)
{
    if (CAppSettings* settings = CAppSettings::Instance()) {
        if (IUserNotifier* notifier = settings->GetNotifier())
            notifier->Notify(text);
    }
}

// Call keywords and the type each makes; "MA", "EMA", "MOM" and "Bar" are decided apart.
struct CallKeyword {
    const char* name;
    int typeId;
};
constexpr CallKeyword kCallKeywords[] = {
    {"ADX", kStudyADX},          {"BB", kStudyBollinger},        {"CHOP", kStudyChoppiness},
    {"MACD", kStudyMACD},        {"OBV", kStudyOBV},             {"PRC", kStudyDonchian},
    {"RSI", kStudyRSI},          {"STOC", kStudyStochastic},     {"KB", kStudyKeltner},
    {"CCI", kStudyCCI},          {"ATR", kStudyATR},             {"MFI", kStudyMFI},
    {"SRSI", kStudyStochRSI},    {"SRSI2", kStudyStochRSI},      {"COSC", kStudyChaikinOsc},
    {"UOSC", kStudyUltimateOsc}, {"PSAR", kStudyParabolicSAR},   {"MAE", kStudyMAEnvelope},
    {"AD", kStudyAccumDist},     {"CMF", kStudyCMF},             {"AROON", kStudyAroon},
    {"TSF", kStudyTSF},          {"AMA", kStudyAMA},             {"EQTY", kStudyEquityCurve},
};

std::unique_ptr<CStudyDefinition> MakeStudy(int typeId, const CString& symbolOverride)
{
    switch (typeId) {
    case kStudyVolume: return std::make_unique<CVolumeStudy>(symbolOverride);
    case kStudyADX: return std::make_unique<CADXStudy>(symbolOverride);
    case kStudyBollinger: return std::make_unique<CBollingerStudy>(symbolOverride);
    case kStudyChoppiness: return std::make_unique<CChoppinessStudy>(symbolOverride);
    case kStudyMovingAverage:
        return std::make_unique<CMovingAverageStudy>(symbolOverride, CMovingAverageStudy::kSimple);
    case kStudyExponentialMA:
        return std::make_unique<CMovingAverageStudy>(symbolOverride, CMovingAverageStudy::kExponential);
    case kStudyMACD: return std::make_unique<CMACDStudy>(symbolOverride);
    case kStudyMomentum: return std::make_unique<CMomentumStudy>(symbolOverride);
    case kStudyROC: return std::make_unique<CROCStudy>(symbolOverride);
    case kStudyOBV: return std::make_unique<COBVStudy>(symbolOverride);
    case kStudyDonchian: return std::make_unique<CDonchianStudy>(symbolOverride);
    case kStudyRSI: return std::make_unique<CRSIStudy>(symbolOverride);
    case kStudyStochastic: return std::make_unique<CStochasticStudy>(symbolOverride);
    case kStudyKeltner: return std::make_unique<CKeltnerStudy>(symbolOverride);
    case kStudyCCI: return std::make_unique<CCCIStudy>(symbolOverride);
    case kStudyATR: return std::make_unique<CATRStudy>(symbolOverride);
    case kStudyMFI: return std::make_unique<CMFIStudy>(symbolOverride);
    case kStudyStochRSI: return std::make_unique<CStochRSIStudy>(symbolOverride);
    case kStudyCustom: return std::make_unique<CCustomStudy>(symbolOverride);
    case kStudyChaikinOsc: return std::make_unique<CChaikinOscStudy>(symbolOverride);
    case kStudyUltimateOsc: return std::make_unique<CUltimateOscStudy>(symbolOverride);
    case kStudyParabolicSAR: return std::make_unique<CParabolicSARStudy>(symbolOverride);
    case kStudyMAEnvelope: return std::make_unique<CMAEnvelopeStudy>(symbolOverride);
    case kStudyAccumDist: return std::make_unique<CADStudy>(symbolOverride);
    case kStudyCMF: return std::make_unique<CCMFStudy>(symbolOverride);
    case kStudyAroon: return std::make_unique<CAroonStudy>(symbolOverride);
    case kStudyTSF: return std::make_unique<CTSFStudy>(symbolOverride);
    case kStudyHorizontalLine: return std::make_unique<CHorizontalLineStudy>();
    case kStudyAMA: return std::make_unique<CAMAStudy>(symbolOverride);
    case kStudyEquityCurve: return std::make_unique<CEquityCurveStudy>();
    default: return nullptr;
    }
}

// The type a call's function name makes (0 for none), and for moving averages their type.
int CallType(const CString& function, const CString& field, const CStringArray& args)
{
    if (function == "MA" || function == "EMA")
        return kStudyMovingAverage;
    if (function == "MOM")
        return args.GetSize() >= 3 && args[2] == "1" ? kStudyROC : kStudyMomentum;
    if (function == "Bar")
        return field == "Volume" ? kStudyVolume : 0;
    for (const CallKeyword& keyword : kCallKeywords) {
        if (function == keyword.name)
            return keyword.typeId;
    }
    return 0;
}
}  // namespace

std::unique_ptr<CStudyDefinition> CreateStudyById(WORD typeId, const CString& symbolOverride)
{
    std::unique_ptr<CStudyDefinition> study = MakeStudy(typeId, symbolOverride);
    if (!study)
        TellUser("Error: unimplemented study");
    return study;
}

std::unique_ptr<CStudyDefinition> CreateStudyFromCall(const CString& function, const CString& field,
                                                      const CStringArray* args)
{
    const CStringArray none;
    const CStringArray& arguments = args ? *args : none;
    const int typeId = CallType(function, field, arguments);
    if (typeId == 0)
        return nullptr;
    std::unique_ptr<CStudyDefinition> study = MakeStudy(typeId, CString());
    if (auto* average = dynamic_cast<CMovingAverageStudy*>(study.get()))
        average->m_nMAType = CMovingAverageStudy::TypeFromShortName(field);
    // A study that refuses the call's parameters would chart something else than the
    // formula asks for.
    if (!study || !study->SetParameters(arguments))
        return nullptr;
    return study;
}

const char* GetStudyTypeName(int typeId)
{
    if (typeId < kFirstStudyType || typeId > kLastStudyType)
        return nullptr;
    return kTypeNames[typeId - kFirstStudyType];
}

void StoreStudy(CArchive& ar, const CStudyDefinition& study)
{
    ar << static_cast<DWORD>(study.GetTypeId());
    study.Store(ar);
}

std::unique_ptr<CStudyDefinition> LoadStudy(CArchive& ar, int version)
{
    DWORD typeId = 0;
    ar >> typeId;
    if (typeId > 0xFFFF) {
        TellUser("Error: unimplemented study");
        return nullptr;
    }
    std::unique_ptr<CStudyDefinition> study = CreateStudyById(static_cast<WORD>(typeId), CString());
    if (!study || !study->Load(ar, version))
        return nullptr;
    return study;
}
