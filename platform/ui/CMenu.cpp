#include "platform/ui/CMenu.h"

#include "platform/ui/CCmdTarget.h"
#include "platform/ui/CCmdUI.h"
#include "platform/ui/CResourceStore.h"
#include "platform/ui/CUiResponder.h"
#include "platform/ui/CWnd.h"
#include "platform/ui/QtConvert.h"

#include <QAction>
#include <QActionGroup>
#include <QKeySequence>
#include <QMenu>
#include <QPointer>

#include <vector>

namespace {

void SetActionText(QAction* a, const char* text)
{
    const QString t = ToQString(text);
    const int tab = t.indexOf(QChar('\t'));
    a->setText(t);
    if (tab >= 0) {
        const QKeySequence seq(t.mid(tab + 1), QKeySequence::PortableText);
        if (!seq.isEmpty()) {
            a->setShortcut(seq);
            a->setShortcutContext(Qt::WindowShortcut);
        }
    }
}

UINT ActionId(const QAction* a)
{
    return a->data().toUInt();
}

const char* const kTargetProperty = "qxCommandTarget";

// The window that takes the commands of the menu holding the action, if any.
HWND CommandTargetOf(const QAction* a, int depth = 0)
{
    if (!a || depth > 16)
        return HWND();
    for (QObject* o : a->associatedObjects()) {
        auto* menu = qobject_cast<QMenu*>(o);
        if (!menu)
            continue;
        const QVariant v = menu->property(kTargetProperty);
        if (v.isValid())
            return HWND::FromValue(v.toULongLong());
        if (HWND up = CommandTargetOf(menu->menuAction(), depth + 1))
            return up;
    }
    return HWND();
}

int g_tracking = 0;  // a popup is being tracked: its choice is returned, not sent

void DispatchCommand(const QAction* a)
{
    if (a->menu() || a->isSeparator() || g_tracking > 0)
        return;
    if (CWnd* target = CWnd::FromHandle(CommandTargetOf(a)))
        target->SendMessage(WM_COMMAND, MAKEWPARAM(static_cast<WORD>(ActionId(a)), 0), 0);
}

// Menu item for update-UI requests.
class MenuCmdUI final : public CCmdUI {
public:
    MenuCmdUI(QAction* action, CMenu* menu, UINT index) : CCmdUI(ActionId(action)), m_action(action)
    {
        m_pMenu = menu;
        m_nIndex = index;
    }
    void Enable(BOOL on) override
    {
        CCmdUI::Enable(on);
        if (m_action)
            m_action->setEnabled(on != FALSE);
    }
    void SetCheck(int check) override
    {
        CCmdUI::SetCheck(check);
        if (!m_action)
            return;
        m_action->setCheckable(check != 0 || m_action->isCheckable());
        m_action->setChecked(check != 0);
    }
    void SetText(const char* text) override
    {
        CCmdUI::SetText(text);
        if (m_action)
            SetActionText(m_action, text);
    }

private:
    QPointer<QAction> m_action;  // a handler may rebuild the menu that holds it
};

}  // namespace

struct CMenu::Impl {
    QPointer<QMenu> menu;
    bool owns = false;
    // Wrappers of the popups inside; keyed by address, so an entry whose popup was
    // deleted (its wrapper's pointer is null) is made again for a new popup there.
    mutable std::map<QMenu*, std::unique_ptr<CMenu>> subs;
    mutable std::vector<std::unique_ptr<CMenu>> dead;

    QAction* Find(UINT item, UINT flags) const
    {
        if (!menu)
            return nullptr;
        const auto actions = menu->actions();
        if (flags & MF_BYPOSITION)
            return item < static_cast<UINT>(actions.size()) ? actions[static_cast<int>(item)] : nullptr;
        for (QAction* a : actions) {
            if (a->menu()) {
                CMenu* sub = SubFor(a->menu());
                if (QAction* found = sub->m_impl->Find(item, flags))
                    return found;
            } else if (!a->isSeparator() && ActionId(a) == item) {
                return a;
            }
        }
        return nullptr;
    }
    CMenu* SubFor(QMenu* m) const
    {
        auto& slot = subs[m];
        if (slot && slot->m_impl->menu != m)
            dead.push_back(std::move(slot));  // a caller may still hold it: it stays, empty
        if (!slot) {
            slot = std::make_unique<CMenu>();
            slot->m_impl->menu = m;
            slot->m_impl->owns = false;
        }
        return slot.get();
    }
    void Release()
    {
        subs.clear();
        dead.clear();
        if (owns && menu) {
            // A menu whose command is running is still in use by Qt: delete it later.
            if (CWnd::IsHandlingMessage()) {
                menu->hide();
                menu->deleteLater();
            } else {
                delete menu.data();
            }
        }
        menu = nullptr;
        owns = false;
    }
};

CMenu::CMenu() : m_impl(std::make_unique<Impl>()) {}

CMenu::~CMenu()
{
    m_impl->Release();
}

std::unique_ptr<CMenu> CMenu::Wrap(QMenu* menu)
{
    auto m = std::make_unique<CMenu>();
    m->m_impl->menu = menu;
    return m;
}

void CMenu::SetCommandTarget(QMenu* popup, HWND target)
{
    if (!popup)
        return;
    if (target)
        popup->setProperty(kTargetProperty, QVariant(qulonglong(target.Value())));
    else
        popup->setProperty(kTargetProperty, QVariant());
}

QMenu* CMenu::GetQMenu() const
{
    return m_impl->menu;
}

bool CMenu::IsValid() const
{
    return m_impl->menu != nullptr;
}

BOOL CMenu::CreateMenu()
{
    return CreatePopupMenu();
}

BOOL CMenu::CreatePopupMenu()
{
    m_impl->Release();
    m_impl->menu = new QMenu;  // owned by this object (Release deletes it)
    m_impl->owns = true;
    return TRUE;
}

static void Fill(CMenu& menu, const std::vector<MenuItemTemplate>& items)
{
    for (const auto& item : items) {
        switch (item.kind) {
        case MenuItemTemplate::Kind::Separator:
            menu.AppendMenu(MF_SEPARATOR);
            break;
        case MenuItemTemplate::Kind::Popup: {
            CMenu sub;
            sub.CreatePopupMenu();
            Fill(sub, item.children);
            menu.AppendMenu(MF_POPUP, &sub, item.text);
            break;
        }
        case MenuItemTemplate::Kind::Item:
            menu.AppendMenu(MF_STRING | (item.checked ? MF_CHECKED : 0) | (item.grayed ? MF_GRAYED : 0), item.id, item.text);
            break;
        }
    }
}

BOOL CMenu::LoadMenu(UINT resourceId)
{
    const MenuTemplate* t = CResourceStore::Instance().FindMenu(resourceId);
    return t ? LoadMenuTemplate(*t) : FALSE;
}

BOOL CMenu::LoadMenuTemplate(const MenuTemplate& t)
{
    CreatePopupMenu();
    Fill(*this, t.items);
    return TRUE;
}

BOOL CMenu::DestroyMenu()
{
    const bool had = m_impl->menu != nullptr;
    m_impl->Release();
    return had ? TRUE : FALSE;
}

static QAction* MakeAction(QMenu* owner, UINT flags, UINT_PTR id, const char* text)
{
    QAction* a = nullptr;
    if (flags & MF_SEPARATOR) {
        a = new QAction(owner);  // owned by the menu
        a->setSeparator(true);
        return a;
    }
    a = new QAction(owner);  // owned by the menu
    SetActionText(a, text);
    a->setData(static_cast<uint>(id));
    QObject::connect(a, &QAction::triggered, a, [a] { DispatchCommand(a); });
    if (flags & MF_CHECKED) {
        a->setCheckable(true);
        a->setChecked(true);
    }
    a->setEnabled(!(flags & (MF_GRAYED | MF_DISABLED)));
    return a;
}

BOOL CMenu::AppendMenu(UINT flags, UINT_PTR id, const char* text)
{
    if (!m_impl->menu || (flags & MF_POPUP))
        return FALSE;
    m_impl->menu->addAction(MakeAction(m_impl->menu, flags, id, text));
    return TRUE;
}

static QAction* AdoptPopup(QMenu* parent, CMenu* popup, const char* text, UINT flags)
{
    QMenu* child = popup ? popup->GetQMenu() : nullptr;
    if (!child)
        return nullptr;
    child->setParent(parent, child->windowFlags());  // the parent menu owns it now
    child->setTitle(ToQString(text));
    child->menuAction()->setEnabled(!(flags & (MF_GRAYED | MF_DISABLED)));
    return child->menuAction();
}

BOOL CMenu::AppendMenu(UINT flags, CMenu* popup, const char* text)
{
    if (!m_impl->menu)
        return FALSE;
    QAction* a = AdoptPopup(m_impl->menu, popup, text, flags);
    if (!a)
        return FALSE;
    popup->m_impl->owns = false;
    m_impl->menu->addAction(a);
    return TRUE;
}

BOOL CMenu::InsertMenu(UINT position, UINT flags, UINT_PTR id, const char* text)
{
    if (!m_impl->menu || (flags & MF_POPUP))
        return FALSE;
    QAction* before = m_impl->Find(position, flags);
    QMenu* host = m_impl->menu;
    // By command: insert into the popup that holds the item.
    if (before && !(flags & MF_BYPOSITION)) {
        if (CMenu* holder = FindPopupOf(static_cast<UINT>(position)))
            host = holder->GetQMenu();
    }
    QAction* a = MakeAction(host, flags, id, text);
    if (before)
        host->insertAction(before, a);
    else
        host->addAction(a);
    return TRUE;
}

BOOL CMenu::InsertMenu(UINT position, UINT flags, CMenu* popup, const char* text)
{
    if (!m_impl->menu)
        return FALSE;
    QAction* before = m_impl->Find(position, flags | MF_BYPOSITION);
    QAction* a = AdoptPopup(m_impl->menu, popup, text, flags);
    if (!a)
        return FALSE;
    popup->m_impl->owns = false;
    if (before)
        m_impl->menu->insertAction(before, a);
    else
        m_impl->menu->addAction(a);
    return TRUE;
}

BOOL CMenu::ModifyMenu(UINT position, UINT flags, UINT_PTR id, const char* text)
{
    QAction* a = m_impl->Find(position, flags);
    if (!a)
        return FALSE;
    if (flags & MF_SEPARATOR) {
        a->setSeparator(true);
        return TRUE;
    }
    a->setSeparator(false);
    if (text)
        SetActionText(a, text);
    if (!a->menu())
        a->setData(static_cast<uint>(id));
    a->setCheckable((flags & MF_CHECKED) != 0);
    a->setChecked((flags & MF_CHECKED) != 0);
    a->setEnabled(!(flags & (MF_GRAYED | MF_DISABLED)));
    return TRUE;
}

CMenu* CMenu::FindPopupOf(UINT id)
{
    if (!m_impl->menu)
        return nullptr;
    for (QAction* a : m_impl->menu->actions()) {
        if (a->menu()) {
            if (CMenu* found = m_impl->SubFor(a->menu())->FindPopupOf(id))
                return found;
        } else if (!a->isSeparator() && ActionId(a) == id) {
            return this;
        }
    }
    return nullptr;
}

BOOL CMenu::DeleteMenu(UINT position, UINT flags)
{
    QAction* a = m_impl->Find(position, flags);
    if (!a)
        return FALSE;
    QMenu* sub = a->menu();
    for (QObject* w : a->associatedObjects())
        if (auto* m = qobject_cast<QMenu*>(w))
            m->removeAction(a);
    if (sub) {
        // Its wrapper may still be held by a caller: it stays, empty.
        if (auto it = m_impl->subs.find(sub); it != m_impl->subs.end()) {
            m_impl->dead.push_back(std::move(it->second));
            m_impl->subs.erase(it);
        }
        delete sub;  // owned by this menu
    } else {
        delete a;  // owned by its menu
    }
    return TRUE;
}

BOOL CMenu::RemoveMenu(UINT position, UINT flags)
{
    QAction* a = m_impl->Find(position, flags);
    if (!a)
        return FALSE;
    for (QObject* w : a->associatedObjects())
        if (auto* m = qobject_cast<QMenu*>(w))
            m->removeAction(a);
    if (!a->menu())
        delete a;
    return TRUE;
}

UINT CMenu::CheckMenuItem(UINT item, UINT flags)
{
    QAction* a = m_impl->Find(item, flags);
    if (!a)
        return static_cast<UINT>(-1);
    const UINT old = a->isChecked() ? MF_CHECKED : MF_UNCHECKED;
    a->setCheckable(true);
    a->setChecked((flags & MF_CHECKED) != 0);
    return old;
}

BOOL CMenu::CheckMenuRadioItem(UINT first, UINT last, UINT item, UINT flags)
{
    if (!m_impl->menu)
        return FALSE;
    bool found = false;
    if (flags & MF_BYPOSITION) {
        for (UINT p = first; p <= last; ++p)
            if (QAction* a = m_impl->Find(p, MF_BYPOSITION)) {
                a->setCheckable(true);
                a->setChecked(p == item);
                found = found || p == item;
            }
    } else {
        for (UINT id = first; id <= last; ++id)
            if (QAction* a = m_impl->Find(id, MF_BYCOMMAND)) {
                a->setCheckable(true);
                a->setChecked(id == item);
                found = found || id == item;
            }
    }
    return found ? TRUE : FALSE;
}

UINT CMenu::EnableMenuItem(UINT item, UINT flags)
{
    QAction* a = m_impl->Find(item, flags);
    if (!a)
        return static_cast<UINT>(-1);
    const UINT old = a->isEnabled() ? MF_ENABLED : MF_GRAYED;
    a->setEnabled(!(flags & (MF_GRAYED | MF_DISABLED)));
    return old;
}

UINT CMenu::GetMenuState(UINT item, UINT flags) const
{
    QAction* a = m_impl->Find(item, flags);
    if (!a)
        return static_cast<UINT>(-1);
    UINT state = 0;
    if (a->isSeparator())
        state |= MF_SEPARATOR;
    if (a->menu())
        state |= MF_POPUP;
    if (a->isChecked())
        state |= MF_CHECKED;
    if (!a->isEnabled())
        state |= MF_GRAYED;
    return state;
}

int CMenu::GetMenuItemCount() const
{
    return m_impl->menu ? static_cast<int>(m_impl->menu->actions().size()) : -1;
}

UINT CMenu::GetMenuItemID(int position) const
{
    QAction* a = m_impl->Find(static_cast<UINT>(position), MF_BYPOSITION);
    if (!a)
        return static_cast<UINT>(-1);
    if (a->menu())
        return static_cast<UINT>(-1);
    if (a->isSeparator())
        return 0;
    return ActionId(a);
}

int CMenu::GetMenuString(UINT item, CString& text, UINT flags) const
{
    QAction* a = m_impl->Find(item, flags);
    if (!a) {
        text.Empty();
        return 0;
    }
    text = FromQString(a->menu() ? a->menu()->title() : a->text());
    return text.GetLength();
}

CMenu* CMenu::GetSubMenu(int position) const
{
    QAction* a = m_impl->Find(static_cast<UINT>(position), MF_BYPOSITION);
    if (!a || !a->menu())
        return nullptr;
    return m_impl->SubFor(a->menu());
}

void CMenu::UpdateCommandUI(CCmdTarget* target, bool disableIfNoHandler)
{
    if (!m_impl->menu || !target)
        return;
    // The list is read again for every item: a handler may change the menu it stands in.
    for (int i = 0; m_impl->menu && i < m_impl->menu->actions().size(); ++i) {
        QAction* a = m_impl->menu->actions()[i];
        if (a->isSeparator())
            continue;
        if (a->menu()) {
            m_impl->SubFor(a->menu())->UpdateCommandUI(target, disableIfNoHandler);
            continue;
        }
        MenuCmdUI ui(a, this, static_cast<UINT>(i));
        ui.DoUpdate(target, disableIfNoHandler);
    }
}

UINT CMenu::TrackPopupMenu(UINT flags, int x, int y, CWnd* owner, const RECT*)
{
    if (!m_impl->menu)
        return 0;
    if (owner)
        owner->OnInitMenuPopup(this, 0, FALSE);
    ++g_tracking;
    const UINT chosen = CUiResponder::Current().TrackPopupMenu(*this, CPoint(x, y), owner);
    --g_tracking;
    if (flags & TPM_RETURNCMD)
        return chosen;
    if (chosen && owner && !(flags & TPM_NONOTIFY))
        owner->PostMessage(WM_COMMAND, MAKEWPARAM(static_cast<WORD>(chosen), 0), 0);
    return chosen ? TRUE : FALSE;
}
