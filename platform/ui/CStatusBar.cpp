#include "platform/ui/CStatusBar.h"

#include "platform/ui/QtConvert.h"

#include <QLabel>
#include <QPointer>
#include <QStatusBar>

#include <vector>

struct CStatusBar::Impl {
    QPointer<QStatusBar> bar;
    std::vector<QPointer<QLabel>> panes;
};

CStatusBar::CStatusBar(QStatusBar* bar, int panes) : m_impl(std::make_unique<Impl>())
{
    m_impl->bar = bar;
    for (int i = 0; i < std::max(panes, 1); ++i) {
        auto* label = new QLabel(bar);  // owned by the status bar
        if (i == 0)
            bar->addWidget(label, 1);
        else
            bar->addPermanentWidget(label);
        m_impl->panes.emplace_back(label);
    }
}

CStatusBar::~CStatusBar() = default;

BOOL CStatusBar::SetPaneText(int index, const char* text)
{
    if (index < 0 || index >= GetCount() || !m_impl->panes[static_cast<size_t>(index)])
        return FALSE;
    m_impl->panes[static_cast<size_t>(index)]->setText(ToQString(text));
    return TRUE;
}

CString CStatusBar::GetPaneText(int index) const
{
    if (index < 0 || index >= GetCount() || !m_impl->panes[static_cast<size_t>(index)])
        return CString();
    return FromQString(m_impl->panes[static_cast<size_t>(index)]->text());
}

int CStatusBar::GetCount() const
{
    return static_cast<int>(m_impl->panes.size());
}

void CStatusBar::SetPaneWidth(int index, int width)
{
    if (index >= 0 && index < GetCount() && m_impl->panes[static_cast<size_t>(index)])
        m_impl->panes[static_cast<size_t>(index)]->setMinimumWidth(width);
}
