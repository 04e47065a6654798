// The Trade Ticket as a window of its own (kind 7): the sheet fills the view and follows
// the linked symbol, moving between the Stock and Option pages by the symbol's kind.
#pragma once

#include "common/windows/IWorkspaceView.h"
#include "platform/ui/CView.h"
#include "trading/ui/COrderPropertySheet.h"

#include <memory>

class CCommonDoc;
class QScrollArea;

class COrderView : public CView, public IWorkspaceView {
public:
    COrderView();
    ~COrderView() override;

    COrderPropertySheet& GetSheet() { return *m_sheet; }
    CCommonDoc* GetCommonDoc() const;

    void OnInitialUpdate() override;
    void OnDraw(CDC* dc) override;
    // Only the link state.
    BOOL SaveToWorkspace(CArchive& ar) override;
    BOOL LoadFromWorkspace(CArchive& ar, DWORD version) override;
    const CMessageMap& GetMessageMap() const override;

protected:
    void OnSize(UINT type, int cx, int cy) override;

private:
    LRESULT OnSetSymbolInterval(WPARAM group, LPARAM message);
    void ResizeFrameFor(CSize client);

    std::unique_ptr<COrderPropertySheet> m_sheet;
    // Shows scroll bars when the window is smaller than the page.
    QScrollArea* m_scroller = nullptr;
};
