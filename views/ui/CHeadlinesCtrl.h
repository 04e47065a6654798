// The headline list of a news window: one owner-drawn row per story, newest on top
// unless a column sorts them; unread stories in bold, hot news in the hot colour.
#pragma once

#include "common/services/CFontInfo.h"
#include "platform/ui/CFont.h"
#include "trading/ui/CReportListCtrl.h"
#include "views/CHeadlineRows.h"
#include "views/NewsLayout.h"

#include <array>
#include <functional>

class CHeadlinesCtrl : public CReportListCtrl {
public:
    CHeadlinesCtrl();
    ~CHeadlinesCtrl() override;

    // typed gets the printable characters typed into the list (a symbol starts).
    using TypedCharFn = std::function<void(char)>;
    BOOL CreateList(CWnd* parent, UINT id, TypedCharFn typed);

    // Merges changed headlines into the rows (see CHeadlineRows) and mirrors that in the
    // list; the symbols of new headlines that may alert come back.
    std::vector<CString> MergeHeadlines(const std::vector<CNewsHeadline>& headlines);
    void RemoveAllHeadlines();
    const CNewsHeadline* GetHeadline(int item) const;
    CNewsHeadline* GetHeadline(int item);
    // The item showing the story, -1 when none does.
    int FindStory(const CString& storyId) const;
    CString GetCellText(int item, int column) const;

    // Columns, sort column and direction as shown.
    CNewsLayout GetNewsLayout() const;
    void ApplyNewsLayout(const CNewsLayout& layout);

    // The list font and text colour, background, and the news colours: 0 background
    // (unused here), 1 selected background, 2 selected text, 3 hot text.
    void SetListFont(const CFontInfo& font, COLORREF textColor);
    void SetBackground(COLORREF color);
    void SetNewsColors(const std::array<COLORREF, 4>& colors);
    const CFontInfo& GetListFont() const { return m_fontInfo; }
    COLORREF GetTextColor() const { return m_textColor; }
    COLORREF GetBackground() const { return m_background; }
    const std::array<COLORREF, 4>& GetNewsColors() const { return m_colors; }

    void DrawItem(LPDRAWITEMSTRUCT draw) override;
    void MeasureItem(LPMEASUREITEMSTRUCT measure) override;

protected:
    void OnChar(UINT ch, UINT repeat, UINT flags) override;
    CString GetFieldText(DWORD_PTR data, int field) const override;
    int CompareRecords(DWORD_PTR first, DWORD_PTR second, int field) const override;

private:
    void MakeFonts();

    TypedCharFn m_typed;
    CHeadlineRows m_rows;
    CFontInfo m_fontInfo;
    CFont m_normal;
    CFont m_bold;
    COLORREF m_textColor = RGB(0, 0, 0);
    COLORREF m_background = RGB(255, 255, 255);
    std::array<COLORREF, 4> m_colors = {RGB(255, 255, 255), RGB(0, 0, 128), RGB(255, 255, 255), RGB(176, 0, 0)};
    int m_nItemHeight = 16;
};
