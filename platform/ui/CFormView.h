// A view whose content is a dialog template's controls.
#pragma once

#include "platform/ui/CView.h"

#include <memory>
#include <vector>

class CFormView : public CView {
public:
    explicit CFormView(UINT templateId);
    ~CFormView() override;

    BOOL CreateView(CWnd* parent, UINT id, CCreateContext* context) override;
    void OnInitialUpdate() override;
    UINT GetTemplateId() const { return m_templateId; }
    // Size of the template's layout in pixels.
    CSize GetTemplateSize() const { return m_templateSize; }

protected:
    UINT m_templateId;

private:
    std::vector<std::unique_ptr<CWnd>> m_controls;
    CSize m_templateSize;
};
