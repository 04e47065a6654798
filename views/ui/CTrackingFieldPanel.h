// The Tracking Window's panel: rows of a name and a value in a colour each, which the
// chart fills with the values under the cursor.
#pragma once

#include "views/TrackingRows.h"
#include "views/ui/CFloatingWnd.h"

#include <vector>

class CTrackingFieldPanel : public CFloatingWnd {
public:
    using CFloatingWnd::CFloatingWnd;

    // The rows, for the owner to fill; call LayOut (or Refresh) after changing them.
    std::vector<CTrackingRow>& Rows() { return m_rows; }
    const std::vector<CTrackingRow>& Rows() const { return m_rows; }
    void SetRows(std::vector<CTrackingRow> rows);
    int GetRowHeight() const { return m_nRowHeight; }

    void LayOut() override;
    void Paint(CDC& dc) override;

protected:
    const char* ClassName() const override { return "CTrackingFieldPanel"; }

private:
    std::vector<CTrackingRow> m_rows;
    int m_nRowHeight = 0;
};
