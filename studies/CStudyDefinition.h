// A study on a chart: the parameters the user chose, its colours and line thicknesses,
// the pane it sits in, its request key, its plot, and its saved form. Every study class
// derives from it, directly or through a base that holds the fields several studies share
// (CBandStudy, CPriceLineStudy, CPlainLineStudy); studies are made by the factories
// (StudyFactory.h) and by Clone.
#pragma once

#include "platform/core/Collections.h"
#include "platform/core/CString.h"
#include "platform/core/WinTypes.h"

#include <memory>

class CArchive;
class CStudyPlot;
class IStudyDialog;

// Type ids (170 to 199).
enum EStudyType : int {
    kStudyVolume = 170,
    kStudyADX = 171,
    kStudyBollinger = 172,
    kStudyChoppiness = 173,
    kStudyMovingAverage = 174,
    kStudyExponentialMA = 175,  // made as a moving average of type 174
    kStudyMACD = 176,
    kStudyMomentum = 177,
    kStudyROC = 178,
    kStudyOBV = 179,
    kStudyDonchian = 180,
    kStudyRSI = 181,
    kStudyStochastic = 182,
    kStudyKeltner = 183,
    kStudyCCI = 184,
    kStudyATR = 185,
    kStudyMFI = 186,
    kStudyStochRSI = 187,
    kStudyCustom = 188,
    kStudyChaikinOsc = 189,
    kStudyUltimateOsc = 190,
    kStudyParabolicSAR = 191,
    kStudyMAEnvelope = 192,
    kStudyAccumDist = 193,
    kStudyCMF = 194,
    kStudyAroon = 195,
    kStudyTSF = 196,
    kStudyHorizontalLine = 197,
    kStudyAMA = 198,
    kStudyEquityCurve = 199,
};

inline constexpr int kFirstStudyType = 170;
inline constexpr int kLastStudyType = 199;
// Saved forms of this version and above are refused.
inline constexpr int kFirstUnknownLayoutVersion = 20;

class CStudyDefinition {
public:
    virtual ~CStudyDefinition() = default;

    // The request key of the study's values: KEY "(" symbol "," parameters... ")," interval,
    // where symbol is the override when set and the chart's symbol otherwise.
    virtual CString GetCallText(const CString& chartSymbol, const CString& interval) const = 0;
    // A new plot of the study's kind, owned by the caller; null when none can be made
    // (no plot factory installed, see IStudyPlotFactory.h).
    virtual CStudyPlot* CreatePlot() const = 0;
    // A copy of every field, pane and plot index included.
    virtual std::unique_ptr<CStudyDefinition> Clone() const = 0;
    // The long name of the Study Manager, chart titles and legends.
    virtual CString GetDisplayName() const = 0;
    // The main parameters in parentheses; empty here.
    virtual CString GetParamText() const;
    // Validates the dialog's controls into the fields in the class's order, stopping at
    // the first refusal (whose reader told the user); true when all were accepted.
    virtual bool ReadDialog(IStudyDialog& dlg) = 0;
    // Writes the fields into the dialog's controls; false at the first writer that fails.
    virtual bool FillDialog(IStudyDialog& dlg) const = 0;
    // Takes the parameters of a parsed study call (argument i as text). False, with the
    // fields unchanged, when there are too few; here every list is accepted.
    virtual bool SetParameters(const CStringArray& args);
    // Same type and byte-equal override here; classes compare every field of their own.
    virtual bool IsEqual(const CStudyDefinition& other) const;
    // The saved form after the type id: DWORD pane index, CString override, then the
    // class's fields.
    virtual bool Store(CArchive& ar) const;
    // Reads the saved form of a layout of the given version; false for versions this
    // program does not know (20 and above). Archive errors throw.
    virtual bool Load(CArchive& ar, int version);
    // Fills the source combo (1004) with FillPriceFieldNames and selects the item equal
    // to selected ignoring case, or the first.
    virtual bool FillSourceCombo(IStudyDialog& dlg, const CString& selected) const;
    // "Open", "High", "Low", "Close", "Volume".
    virtual void FillPriceFieldNames(CStringArray& names) const;

    int GetPaneIndex() const { return m_nPane; }
    void SetPaneIndex(int pane) { m_nPane = pane; }
    int GetPlotIndex() const { return m_nPlot; }
    void SetPlotIndex(int plot) { m_nPlot = plot; }
    int GetTypeId() const { return m_nTypeId; }
    UINT GetDialogId() const { return m_nDialogId; }
    // True when the study needs a pane of its own.
    bool NeedsSeparatePane() const { return m_bSeparatePane; }
    const CString& GetSymbolOverride() const { return m_symbolOverride; }
    void SetSymbolOverride(const CString& symbol) { m_symbolOverride = symbol; }

protected:
    // Pane -1, plot -1, separate pane; the class then sets its type, dialog and defaults.
    explicit CStudyDefinition(const CString& symbolOverride);
    CStudyDefinition(const CStudyDefinition&) = default;
    CStudyDefinition& operator=(const CStudyDefinition&) = default;

    // Sets type id, dialog id and, for studies drawn over the price bars, pane 0.
    void SetKind(int typeId, UINT dialogId, bool separatePane);
    // The override, or the chart's symbol without one.
    CString KeySymbol(const CString& chartSymbol) const;
    // The override and a comma, or nothing.
    CString OverridePrefix() const;
    // " (" override ")" after a plain name, or nothing.
    CString OverrideSuffix() const;

    int m_nPane = -1;
    int m_nPlot = -1;
    int m_nTypeId = 0;
    UINT m_nDialogId = 0;
    bool m_bSeparatePane = true;
    CString m_symbolOverride;
};

// A copy of argument index of a parsed call, or "" past its end.
CString GetCallArgument(const CStringArray& args, int index);
