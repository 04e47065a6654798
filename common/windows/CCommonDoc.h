// The document of every non-chart window: its kind, link groups, caption buttons and
// whether it sits in a floating (detached) frame.
#pragma once

#include "common/services/CLinkState.h"
#include "platform/ui/CDocument.h"

class CFrameWnd;

class CCommonDoc : public CDocument {
public:
    CCommonDoc();
    ~CCommonDoc() override;

    // On the first call creates the frame's caption buttons (symbol link, interval link,
    // detach toggle, as wanted) and gives the link state its buttons; later calls (after
    // the window moved to another frame) make them on the new frame with the same state.
    void SetLinkButtons(CFrameWnd* frame, bool symbolLink, bool intervalLink, bool detachToggle);
    // Shows the link groups on the caption buttons.
    void UpdateLinkButtons();

    CLinkState& GetLinkState() { return m_linkState; }
    const CLinkState& GetLinkState() const { return m_linkState; }
    int GetKind() const { return m_nKind; }
    void SetKind(int kind) { m_nKind = kind; }
    bool IsDetached() const { return m_bSDI; }
    void SetDetached(bool detached) { m_bSDI = detached; }
    CFrameWnd* GetFrame() const { return m_pFrame; }

    const CMessageMap& GetMessageMap() const override;

private:
    void OnLinkSymbol();
    void OnLinkInterval();
    void OnDetach();
    void OnUpdateDetach(CCmdUI* ui);
    int ChooseGroup(UINT button, int current);

    CLinkState m_linkState;
    int m_nKind = -1;
    bool m_bSDI = false;
    bool m_bButtonsMade = false;
    bool m_bDetachToggle = false;
    CFrameWnd* m_pFrame = nullptr;
};
