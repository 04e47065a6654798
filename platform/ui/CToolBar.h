// A tool bar of a top-level frame: command buttons, separators and embedded controls
// (e.g. a combo box). Buttons send their command to the frame; update-UI handlers
// enable and check them while the program is idle.
#pragma once

#include "platform/ui/CWnd.h"

class CBitmap;

class CToolBar : public CWnd {
public:
    CToolBar();
    ~CToolBar() override;

    void AddButton(UINT commandId, const char* text, const CBitmap* image = nullptr, const char* toolTip = nullptr);
    void AddSeparator();
    // Puts an existing control (created with this tool bar as parent) into the bar.
    void AddControl(CWnd* control);
    int GetButtonCount() const;
    // Whether the button of the command is enabled or checked (for tests and checks).
    bool IsButtonEnabled(UINT commandId) const;
    bool IsButtonChecked(UINT commandId) const;
    void UpdateButtons(CCmdTarget* target, bool disableIfNoHandler);

protected:
    QWidget* CreateWidget(QWidget* parent) override;
    bool PaintsItself() const override { return false; }
    // Commands and notifications of the bar's controls go on to its frame.
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result) override;

private:
    struct BarImpl;
    std::unique_ptr<BarImpl> m_bar;
};
