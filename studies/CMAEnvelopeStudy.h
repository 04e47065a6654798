// Moving-average envelopes over the price bars.
#pragma once

#include "studies/CBandStudy.h"

#include <tuple>

class CMAEnvelopeStudy : public CBandStudy {
public:
    explicit CMAEnvelopeStudy(const CString& symbolOverride = CString());

    CString GetCallText(const CString& chartSymbol, const CString& interval) const override;
    CStudyPlot* CreatePlot() const override;
    std::unique_ptr<CStudyDefinition> Clone() const override;
    CString GetDisplayName() const override;
    CString GetParamText() const override;
    bool ReadDialog(IStudyDialog& dlg) override;
    bool FillDialog(IStudyDialog& dlg) const override;
    bool SetParameters(const CStringArray& args) override;
    bool IsEqual(const CStudyDefinition& other) const override;
    bool Store(CArchive& ar) const override;
    bool Load(CArchive& ar, int version) override;

    CString m_source = "Close";
    CString m_length = "20";
    CString m_percentage = "3";

private:
    auto Fields() const { return std::tie(m_source, m_length, m_percentage); }
};
