// The chart frame's splitter: up to 16 rows of views in one column, with the rows'
// proportions kept in layouts.
#pragma once

#include "platform/ui/CSplitterWnd.h"

class CArchive;

class CPaneSplitterWnd : public CSplitterWnd {
public:
    // Minimum pane height (pixels) used for the rows made after this call.
    void MeasureMinHeight(int height) { m_minHeight = height > 0 ? height : 1; }
    int GetMinHeight() const { return m_minHeight; }
    // rows is the most the splitter will hold (16); it starts with one row in use.
    BOOL CreateStatic(CWnd* parent, int rows, int cols, DWORD style = WS_CHILD | WS_VISIBLE,
                      UINT id = AFX_IDW_PANE_FIRST);
    // Adds a row at index holding a new view of the class and lays the rows out again:
    // the new row gets the height asked for (the minimum when none), at most an even
    // share of the splitter, taken from the other rows in proportion to their heights.
    BOOL InsertRow(const CRuntimeClass* viewClass, int index, CCreateContext* context = nullptr, int height = 0);
    BOOL DeleteRow(int index);
    int GetMaxRows() const { return m_maxRows; }

    // DWORD row count, then one DOUBLE proportion per row.
    bool SaveProportions(CArchive& ar) const;
    // Reads that form whole and lays the rows out by it when it has one fraction per
    // row (else nothing changes); false only on an archive error.
    bool LoadProportions(CArchive& ar);
    // Lays the rows out by their fractions of the height; false (nothing changed) for
    // a count other than the row count or values that are not fractions.
    bool SetProportions(const std::vector<double>& proportions);
    std::vector<double> GetProportions() const;

protected:
    void OnSize(UINT type, int cx, int cy) override;
    void OnShowWindow(BOOL show, UINT status) override;

private:
    void LayOutBy(const std::vector<double>& proportions);
    // Fractions set before the splitter was shown, laid out again once it is.
    void ApplyPending();

    std::vector<double> m_pending;
    int m_minHeight = 20;
    int m_maxRows = kMaxPanes;
};
