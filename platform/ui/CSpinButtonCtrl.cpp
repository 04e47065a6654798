#include "platform/ui/CSpinButtonCtrl.h"

#include "platform/ui/QxWindowHost.h"

#include <QBoxLayout>
#include <QKeyEvent>
#include <QToolButton>

#include <cstdlib>

namespace {

// Arrow keys of the buddy step the spin.
class BuddyKeys final : public QObject {
public:
    BuddyKeys(QObject* parent, HWND spin) : QObject(parent), m_spin(spin) {}
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e->type() != QEvent::KeyPress)
            return false;
        auto* spin = dynamic_cast<CSpinButtonCtrl*>(CWnd::FromHandle(m_spin));
        const int key = static_cast<QKeyEvent*>(e)->key();
        if (!spin || (key != Qt::Key_Up && key != Qt::Key_Down))
            return false;
        spin->Step(key == Qt::Key_Up ? 1 : -1);
        return true;
    }

private:
    HWND m_spin;
};

CString FormatPos(int pos, bool thousands)
{
    CString s;
    s.Format("%d", pos);
    if (!thousands)
        return s;
    const bool negative = pos < 0;
    CString digits = negative ? s.Mid(1) : s;
    CString out;
    const int n = digits.GetLength();
    for (int i = 0; i < n; ++i) {
        if (i > 0 && (n - i) % 3 == 0)
            out += ',';
        out += digits[i];
    }
    return negative ? CString("-") + out : out;
}

}  // namespace

BOOL CSpinButtonCtrl::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id)
{
    return CWnd::Create(nullptr, "", style, rect, parent, id);
}

QWidget* CSpinButtonCtrl::CreateWidget(QWidget* parent)
{
    auto* w = new QxWindowHost<QWidget>(this, parent);
    const bool horizontal = (m_style & UDS_HORZ) != 0;
    QBoxLayout* layout = horizontal ? static_cast<QBoxLayout*>(new QHBoxLayout(w)) : new QVBoxLayout(w);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto* first = new QToolButton(w);
    auto* second = new QToolButton(w);
    first->setArrowType(horizontal ? Qt::LeftArrow : Qt::UpArrow);
    second->setArrowType(horizontal ? Qt::RightArrow : Qt::DownArrow);
    for (QToolButton* b : {first, second}) {
        b->setAutoRepeat(true);
        b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
        b->setFocusPolicy(Qt::NoFocus);
        layout->addWidget(b);
    }
    // Up and right increase the position.
    const int firstDelta = horizontal ? -1 : 1;
    QObject::connect(first, &QToolButton::clicked, [w, firstDelta] {
        if (auto* s = dynamic_cast<CSpinButtonCtrl*>(CWnd::FromWidget(w)))
            s->Step(firstDelta);
    });
    QObject::connect(second, &QToolButton::clicked, [w, firstDelta] {
        if (auto* s = dynamic_cast<CSpinButtonCtrl*>(CWnd::FromWidget(w)))
            s->Step(-firstDelta);
    });
    return w;
}

CWnd* CSpinButtonCtrl::SetBuddy(CWnd* buddy)
{
    CWnd* old = GetBuddy();
    m_buddy = buddy ? buddy->m_hWnd : HWND();
    if (buddy && buddy->GetWidget() && (m_style & UDS_ARROWKEYS))
        buddy->GetWidget()->installEventFilter(new BuddyKeys(buddy->GetWidget(), m_hWnd));  // owned by the buddy
    return old;
}

CWnd* CSpinButtonCtrl::GetBuddy() const
{
    return CWnd::FromHandle(m_buddy);
}

void CSpinButtonCtrl::SetRange32(int lower, int upper)
{
    m_lower = lower;
    m_upper = upper;
}

void CSpinButtonCtrl::GetRange32(int& lower, int& upper) const
{
    lower = m_lower;
    upper = m_upper;
}

int CSpinButtonCtrl::SetPos32(int pos)
{
    const int old = GetPos32();
    const int lo = std::min(m_lower, m_upper);
    const int hi = std::max(m_lower, m_upper);
    m_pos = std::clamp(pos, lo, hi);
    WriteBuddy();
    return old;
}

int CSpinButtonCtrl::GetPos32(BOOL* error) const
{
    if (error)
        *error = FALSE;
    if ((m_style & UDS_SETBUDDYINT) && GetBuddy()) {
        CString text = GetBuddy()->GetWindowText();
        text.Remove(',');
        text.Trim();
        char* end = nullptr;
        const long long v = std::strtoll(text.GetString(), &end, 10);
        if (text.IsEmpty() || (end && *end != '\0')) {
            if (error)
                *error = TRUE;
            return m_pos;
        }
        const int lo = std::min(m_lower, m_upper);
        const int hi = std::max(m_lower, m_upper);
        return static_cast<int>(std::clamp<long long>(v, lo, hi));
    }
    return m_pos;
}

void CSpinButtonCtrl::WriteBuddy()
{
    if (!(m_style & UDS_SETBUDDYINT))
        return;
    if (CWnd* buddy = GetBuddy())
        buddy->SetWindowText(FormatPos(m_pos, !(m_style & UDS_NOTHOUSANDS)));
}

void CSpinButtonCtrl::Step(int delta)
{
    // The direction follows the range: a range given from high to low counts down.
    const int signedDelta = m_lower <= m_upper ? delta : -delta;
    const int current = GetPos32();
    NMUPDOWN n;
    n.iPos = current;
    n.iDelta = signedDelta;
    const HWND self = m_hWnd;
    if (NotifyParent(UDN_DELTAPOS, &n.hdr) != 0 || !CWnd::FromHandle(self))
        return;
    const int lo = std::min(m_lower, m_upper);
    const int hi = std::max(m_lower, m_upper);
    long long next = static_cast<long long>(current) + n.iDelta;
    if (next > hi)
        next = (m_style & UDS_WRAP) ? lo : hi;
    if (next < lo)
        next = (m_style & UDS_WRAP) ? hi : lo;
    m_pos = static_cast<int>(next);
    WriteBuddy();
    if (CWnd* parent = GetParent()) {
        const UINT message = (m_style & UDS_HORZ) ? WM_HSCROLL : WM_VSCROLL;
        parent->SendMessage(message, MAKEWPARAM(SB_THUMBPOSITION, static_cast<WORD>(m_pos & 0xFFFF)),
                            static_cast<LPARAM>(m_hWnd.Value()));
        if (CWnd* again = CWnd::FromHandle(self))
            if (CWnd* p = again->GetParent())
                p->SendMessage(message, MAKEWPARAM(SB_ENDSCROLL, 0), static_cast<LPARAM>(m_hWnd.Value()));
    }
}
