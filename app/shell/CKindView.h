// The view of a window kind whose own view is not part of the program yet: a titled
// page saying what the window is, following its links, kept in workspaces, drawn in the
// user's list font and colours.
#pragma once

#include "common/windows/IListAppearance.h"
#include "common/windows/IWorkspaceView.h"
#include "platform/ui/CView.h"

class CCommonDoc;

class CKindView : public CView, public IWorkspaceView, public IListAppearance {
public:
    explicit CKindView(int kind);
    ~CKindView() override;

    int GetKind() const { return m_nKind; }
    CCommonDoc* GetCommonDoc() const;
    const CString& GetSymbol() const { return m_symbol; }
    const CString& GetInterval() const { return m_interval; }
    // Sets the symbol and interval (empty keeps the current one) and the title.
    void SetSymbolInterval(const CString& symbol, const CString& interval);
    int GetSymbolChanges() const { return m_nSymbolChanges; }

    // Link state, symbol and interval.
    BOOL SaveToWorkspace(CArchive& ar) override;
    BOOL LoadFromWorkspace(CArchive& ar, DWORD version) override;

    // The list font, its colour and the background; the page repaints.
    void SetListFont(const CFontInfo& font, COLORREF textColor) override;
    void SetListColors(const std::array<COLORREF, 8>& colors) override;
    const CFontInfo& GetListFont() const { return m_listFont; }
    COLORREF GetListTextColor() const { return m_listTextColor; }
    COLORREF GetListBackground() const { return m_listBackground; }

    void OnInitialUpdate() override;
    void OnDraw(CDC* dc) override;
    const CMessageMap& GetMessageMap() const override;

private:
    LRESULT OnSetSymbolInterval(WPARAM group, LPARAM message);
    void UpdateTitle();

    int m_nKind;
    CString m_symbol;
    CString m_interval;
    int m_nSymbolChanges = 0;
    CFontInfo m_listFont;
    COLORREF m_listTextColor = RGB(60, 60, 60);
    COLORREF m_listBackground = RGB(250, 251, 253);
};

// The view class of one kind, for the document templates.
template <int Kind>
class CKindViewOf : public CKindView {
public:
    CKindViewOf() : CKindView(Kind) {}
};
