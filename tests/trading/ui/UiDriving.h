// Driving dialogs offscreen as a trader would: typing, choosing combo items, clicking,
// acting on the modal window that comes up, and a responder that answers questions.
#pragma once

#include "platform/ui/CButton.h"
#include "platform/ui/CComboBox.h"
#include "platform/ui/CListCtrl.h"
#include "platform/ui/CMenu.h"
#include "platform/ui/CMessageQueue.h"
#include "platform/ui/CUiResponder.h"
#include "platform/ui/CWnd.h"
#include "platform/ui/WinUser.h"
#include "tests/support/DocumentedMenus.h"
#include "tests/support/UiEvents.h"

#include <QAbstractButton>
#include <QApplication>
#include <QColor>
#include <QImage>
#include <QTimer>
#include <QTreeView>
#include <QWidget>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace uitest {

inline bool PumpUntil(const std::function<bool()>& done, int timeoutMs = 10000)
{
    return PumpEventsUntil(done, timeoutMs);
}

// Acts on the active modal window once act() takes it; tries for about ten seconds.
inline void WhenModal(std::function<bool(QWidget*)> act, int tries = 2000)
{
    QTimer::singleShot(5, [act = std::move(act), tries]() mutable {
        QWidget* w = QApplication::activeModalWidget();
        if ((!w || !act(w)) && tries > 0)
            WhenModal(std::move(act), tries - 1);
    });
}

// The window object of the active modal window when it is of type T.
template <class T>
void WhenModalIs(std::function<void(T&)> act)
{
    WhenModal([act = std::move(act)](QWidget* w) {
        auto* window = dynamic_cast<T*>(CWnd::FromWidget(w));
        if (!window)
            return false;
        act(*window);
        return true;
    });
}

inline void Type(CWnd& dialog, UINT id, const char* text)
{
    if (CWnd* w = dialog.GetDlgItem(static_cast<int>(id)))
        w->SetWindowText(text);
}

inline void LeaveField(CWnd& dialog, UINT id)
{
    dialog.SendMessage(WM_COMMAND, MAKEWPARAM(static_cast<WORD>(id), EN_KILLFOCUS), 0);
}

// Selects the item of a combo and tells the dialog, as a click in the list does.
inline bool Choose(CWnd& dialog, UINT id, const char* text)
{
    auto* combo = dynamic_cast<CComboBox*>(dialog.GetDlgItem(static_cast<int>(id)));
    if (!combo)
        return false;
    for (int i = 0; i < combo->GetCount(); ++i)
        if (combo->GetLBText(i) == text) {
            combo->SetCurSel(i);
            dialog.SendMessage(WM_COMMAND, MAKEWPARAM(static_cast<WORD>(id), CBN_SELCHANGE), 0);
            return true;
        }
    return false;
}

inline bool Click(CWnd& dialog, UINT id)
{
    CWnd* w = dialog.GetDlgItem(static_cast<int>(id));
    auto* button = w ? qobject_cast<QAbstractButton*>(w->GetWidget()) : nullptr;
    if (!button)
        return false;
    button->click();
    return true;
}

inline bool Shown(CWnd& dialog, UINT id)
{
    CWnd* w = dialog.GetDlgItem(static_cast<int>(id));
    return w && w->GetOuterWidget() && !w->GetOuterWidget()->isHidden();
}

inline bool Enabled(CWnd& dialog, UINT id)
{
    CWnd* w = dialog.GetDlgItem(static_cast<int>(id));
    return w && w->IsWindowEnabled();
}

// The texts of a list's column, top to bottom.
inline std::vector<CString> Column(CListCtrl& list, int column)
{
    std::vector<CString> out;
    for (int i = 0; i < list.GetItemCount(); ++i)
        out.push_back(list.GetItemText(i, column));
    return out;
}

// The header text of a list's column.
inline CString HeaderText(CListCtrl& list, int column)
{
    char text[64] = "";
    LVCOLUMN col;
    col.mask = LVCF_TEXT;
    col.pszText = text;
    col.cchTextMax = sizeof text;
    list.GetColumn(column, &col);
    return text;
}

// The colour a list paints at x pixels into the row, halfway down, as a fresh paint
// leaves it.
inline QColor RowPixel(CListCtrl& list, int row, int x)
{
    auto* tree = qobject_cast<QTreeView*>(list.GetWidget());
    if (!tree || row >= tree->model()->rowCount())
        return QColor();
    const QImage shot = tree->viewport()->grab().toImage();
    const QRect rect = tree->visualRect(tree->model()->index(row, 0));
    return shot.pixelColor(rect.left() + x, rect.center().y());
}

inline CString Text(CWnd& dialog, UINT id)
{
    return dialog.GetDlgItemText(static_cast<int>(id));
}

// Answers every message box (Yes to questions unless told otherwise), file dialogs from
// a list, popup menus with a chosen command, and remembers what was asked.
class AnsweringResponder : public CUiResponder {
public:
    struct Box {
        CString text;
        CString caption;
        UINT type;
    };
    int MessageBox(CWnd*, const CString& text, const CString& caption, UINT type) override
    {
        boxes.push_back({text, caption, type});
        if ((type & 0xF) == MB_YESNO)
            return answerYes ? IDYES : IDNO;
        return IDOK;
    }
    bool ChooseFile(CWnd*, FileDialogRequest& request, std::vector<CString>& chosen) override
    {
        requests.push_back(request);
        if (files.empty())
            return false;
        chosen = {files.front()};
        files.erase(files.begin());
        if (!fileTypes.empty()) {
            request.filterIndex = fileTypes.front();
            fileTypes.erase(fileTypes.begin());
        }
        return true;
    }
    UINT TrackPopupMenu(CMenu& menu, CPoint, CWnd*) override
    {
        ++menusShown;
        if (menuRules)
            menuFaults += qx::testsupport::MenuTextFaults(menu, "popup", *menuRules);
        return menuChoice;
    }
    bool OpenExternal(const CString& target) override
    {
        opened.push_back(target);
        return true;
    }
    std::vector<CString> Texts() const
    {
        std::vector<CString> out;
        for (const Box& b : boxes)
            out.push_back(b.text);
        return out;
    }
    CString LastText() const { return boxes.empty() ? CString() : boxes.back().text; }

    bool answerYes = true;
    std::vector<Box> boxes;
    std::vector<CString> files;
    // The file type chosen with each file (filter index), when given.
    std::vector<int> fileTypes;
    std::vector<FileDialogRequest> requests;
    UINT menuChoice = 0;
    // The popups shown; with menuRules set, the faults of their texts (MenuTextFaults).
    int menusShown = 0;
    std::optional<qx::testsupport::MenuTextRules> menuRules;
    std::string menuFaults;
    std::vector<CString> opened;
};

}  // namespace uitest
