// Qt widget classes that carry a window object: every event goes to the window first.
#pragma once

#include "platform/ui/CWnd.h"

#include <QEvent>
#include <QWidget>

#include <utility>

class QxHostLink {
public:
    virtual ~QxHostLink() = default;
    virtual void SetOwner(CWnd* owner) = 0;
    virtual CWnd* Owner() const = 0;
};

template <class Base>
class QxWindowHost : public Base, public QxHostLink {
public:
    template <class... Args>
    explicit QxWindowHost(CWnd* owner, Args&&... args) : Base(std::forward<Args>(args)...), m_owner(owner)
    {
    }
    ~QxWindowHost() override
    {
        if (CWnd* owner = m_owner) {
            m_owner = nullptr;
            owner->WidgetDestroyed(this);
        }
    }
    void SetOwner(CWnd* owner) override { m_owner = owner; }
    CWnd* Owner() const override { return m_owner; }

protected:
    bool event(QEvent* e) override
    {
        if (m_owner && m_owner->RouteEvent(this, e))
            return true;
        return Base::event(e);
    }

private:
    CWnd* m_owner;
};

// Routes the events of a helper widget (a scroll area's viewport, a header) to a window.
class QxEventForwarder : public QObject {
public:
    QxEventForwarder(CWnd* owner, QObject* parent) : QObject(parent), m_owner(owner) {}
    void SetOwner(CWnd* owner) { m_owner = owner; }
    bool eventFilter(QObject* watched, QEvent* e) override
    {
        if (m_owner && watched->isWidgetType())
            return m_owner->RouteEvent(static_cast<QWidget*>(watched), e);
        return false;
    }

private:
    CWnd* m_owner;
};
