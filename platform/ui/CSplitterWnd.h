// Static splitter of up to 16 rows (one column) or 16 columns (one row). Panes are
// views created in it; rows can be inserted and deleted later.
#pragma once

#include "platform/ui/CWnd.h"

#include <vector>

struct CCreateContext;
class CRuntimeClass;

class CSplitterWnd : public CWnd {
public:
    static constexpr int kMaxPanes = 16;

    CSplitterWnd();
    ~CSplitterWnd() override;

    BOOL CreateStatic(CWnd* parent, int rows, int cols, DWORD style = WS_CHILD | WS_VISIBLE,
                      UINT id = AFX_IDW_PANE_FIRST);
    // Creates the pane's view of the run-time class (a CView).
    BOOL CreateView(int row, int col, const CRuntimeClass* viewClass, SIZE initialSize, CCreateContext* context);
    // Adds a row at index holding a new window of the class; false when full.
    BOOL InsertRow(int index, const CRuntimeClass* viewClass, int height, CCreateContext* context);
    // Removes the row and destroys its window.
    BOOL DeleteRow(int index);
    CWnd* GetPane(int row, int col) const;
    int IdFromRowCol(int row, int col) const { return static_cast<int>(AFX_IDW_PANE_FIRST) + row * 16 + col; }
    BOOL IsChildPane(CWnd* wnd, int* row, int* col) const;
    int GetRowCount() const;
    int GetColumnCount() const;
    void SetRowInfo(int row, int idealHeight, int minHeight);
    void GetRowInfo(int row, int& currentHeight, int& minHeight) const;
    void SetColumnInfo(int col, int idealWidth, int minWidth);
    void GetColumnInfo(int col, int& currentWidth, int& minWidth) const;
    // Sizes of the rows (or columns) in pixels, and setting them all at once.
    std::vector<int> GetPaneSizes() const;
    void SetPaneSizes(const std::vector<int>& sizes);
    virtual void RecalcLayout();

protected:
    QWidget* CreateWidget(QWidget* parent) override;
    bool PaintsItself() const override { return false; }
    void RenumberPanes();

    bool m_vertical = true;  // rows
    std::vector<int> m_ideal;
    std::vector<int> m_min;
};
