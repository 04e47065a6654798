// The parts of the Level II window: the bid and ask book lists, the depth bar, the quote
// summary and the market-maker log. Each hands typed characters to its window.
#pragma once

#include "platform/ui/CListCtrl.h"
#include "platform/ui/CWnd.h"
#include "views/Level2Book.h"
#include "views/MMLog.h"
#include "views/ui/IListCellText.h"
#include "views/ui/ListCells.h"

#include <QFont>

#include <array>
#include <functional>
#include <vector>

class CFont;
class CMarketDepthHandle;
class CSymbolHandle;
struct CWndMessage;

using TypedCharFn = std::function<void(char)>;

// One side of the book: an owner-drawn list whose rows are read from the depth handle on
// every refresh and drawn from them, each on its price band's colour.
class CBookSideList : public CListCtrl, public IListCellText {
public:
    explicit CBookSideList(int side) : m_nSide(side) {}

    BOOL CreateList(CWnd* parent, UINT id, TypedCharFn typed);
    void SetDepthHandle(CMarketDepthHandle* handle) { m_pHandle = handle; }
    // The columns of the mode; nothing when they are there already.
    void SetupColumns(bool timeMode);
    // Reads the book under the store's lock and redraws.
    void Refresh(const std::array<COLORREF, 5>& levelColors);
    void SetLook(CFont* font, int rowHeight, int blankWidth, COLORREF textColor);

    int GetSide() const { return m_nSide; }
    bool IsTimeMode() const { return m_bTimeMode; }
    const std::vector<CBookRow>& Rows() const { return m_rows; }
    CString GetShownText(int item, int column) override;

    void DrawItem(LPDRAWITEMSTRUCT draw) override;
    void MeasureItem(LPMEASUREITEMSTRUCT measure) override;
    const CMessageMap& GetMessageMap() const override;

protected:
    void OnChar(UINT ch, UINT repeat, UINT flags) override;

private:
    void OnHeaderChanged(NMHDR*, LRESULT* result);
    void FitColumns();

    const int m_nSide;
    CCellGeometry m_cells;
    QFont m_qfont;
    bool m_bTimeMode = false;
    bool m_bColumnsMade = false;
    std::vector<int> m_columnTexts;
    std::vector<CBookRow> m_rows;
    CMarketDepthHandle* m_pHandle = nullptr;
    COLORREF m_textColor = 0;
    CFont* m_pFont = nullptr;
    int m_nRowHeight = 16;
    int m_nBlankWidth = 3;
    TypedCharFn m_typed;
};

// The market-maker log: the newest hundred entries, each row in its action's colour.
class CMMLogList : public CListCtrl, public IListCellText {
public:
    BOOL CreateList(CWnd* parent, UINT id, TypedCharFn typed);
    void SetDepthHandle(CMarketDepthHandle* handle) { m_pHandle = handle; }
    void DeleteAllEntries();
    void SetLook(CFont* font, int rowHeight, int blankWidth);
    const CMMLog& Log() const { return m_log; }
    CString GetShownText(int item, int column) override;

    void DrawItem(LPDRAWITEMSTRUCT draw) override;
    void MeasureItem(LPMEASUREITEMSTRUCT measure) override;
    const CMessageMap& GetMessageMap() const override;

protected:
    void OnChar(UINT ch, UINT repeat, UINT flags) override;

private:
    LRESULT OnLogEntry(CWndMessage& message);
    void OnHeaderChanged(NMHDR*, LRESULT* result);

    CMMLog m_log;
    CCellGeometry m_cells;
    QFont m_qfont;
    CMarketDepthHandle* m_pHandle = nullptr;
    CFont* m_pFont = nullptr;
    int m_nRowHeight = 16;
    int m_nBlankWidth = 3;
    TypedCharFn m_typed;
};

// A window that paints itself and hands typed characters on.
class CLevel2Panel : public CWnd {
public:
    BOOL CreatePanel(CWnd* parent, UINT id, TypedCharFn typed);

protected:
    void OnChar(UINT ch, UINT repeat, UINT flags) override;
    void OnLButtonDown(UINT flags, CPoint point) override;

private:
    TypedCharFn m_typed;
};

// The thin bar of the book's depth: bid groups left of a black separator, ask groups right.
class CDepthBarPanel : public CLevel2Panel {
public:
    void SetDepthHandle(CMarketDepthHandle* handle) { m_pHandle = handle; }
    void SetLevelColors(const std::array<COLORREF, 5>& colors) { m_colors = colors; }
    // The blocks of the last paint.
    const std::vector<CDepthBlock>& Blocks() const { return m_blocks; }

protected:
    void OnPaint() override;

private:
    CMarketDepthHandle* m_pHandle = nullptr;
    std::array<COLORREF, 5> m_colors{};
    std::vector<CDepthBlock> m_blocks;
};

// One line of quote fields: Last, Change, Open, High, Low and Volume, each a label box and
// a value box coloured by its last tick.
class CLevel2SummaryPanel : public CLevel2Panel {
public:
    CLevel2SummaryPanel();
    // Binds the symbol's quotes; the cells start over.
    void SetSymbolHandle(CSymbolHandle* handle);
    void SetLook(CFont* font, COLORREF textColor);
    const std::array<CSnapshotField, 6>& Cells() const { return m_cells; }
    // Reads the cells from the quote (what a paint does first).
    void UpdateCells();

protected:
    void OnPaint() override;

private:
    CSymbolHandle* m_pHandle = nullptr;
    std::array<CSnapshotField, 6> m_cells;
    CFont* m_pFont = nullptr;
    COLORREF m_textColor = 0;
};
