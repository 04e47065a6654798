// The frames of a news window: an MDI child (NewsFrame) or a floating frame
// (SdiNewsFrame). Each splits its client area into the headline list above and the
// story pane below, and hands the list's commands to it.
#pragma once

#include "platform/ui/CChildFrame.h"
#include "platform/ui/CSdiChildFrame.h"

#include <memory>

class CPaneSplitterWnd;
class HeadlinesView;

template <class Base>
class CNewsFrame : public Base {
public:
    CNewsFrame();
    ~CNewsFrame() override;

    CPaneSplitterWnd* GetSplitter() const { return m_pSplitter.get(); }
    HeadlinesView* GetHeadlinesView() const;

    BOOL OnCmdMsg(UINT id, UINT code, CCmdUI* ui) override;
    // Moving between the MDI area and a floating frame takes both panes along.
    void CopyToOtherFrame(CFrameWnd* target) override;

protected:
    BOOL OnCreateClient(LPCREATESTRUCT create, CCreateContext* context) override;

private:
    template <class> friend class CNewsFrame;
    std::unique_ptr<CPaneSplitterWnd> m_pSplitter;
};

class NewsFrame : public CNewsFrame<CChildFrame> {
public:
    NewsFrame() = default;
};

class SdiNewsFrame : public CNewsFrame<CSdiChildFrame> {
public:
    SdiNewsFrame() = default;
};
