// Acting on the modal dialogs the chart opens: once a dialog of the class is up, the
// action runs on it (tried every 5 ms for about two seconds).
#pragma once

#include "platform/ui/CWnd.h"

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>

template <class Dialog>
void WhenModal(std::function<void(Dialog&)> act, int tries = 400)
{
    QTimer::singleShot(5, [act = std::move(act), tries]() mutable {
        QWidget* w = QApplication::activeModalWidget();
        auto* dialog = dynamic_cast<Dialog*>(w ? CWnd::FromWidget(w) : nullptr);
        if (dialog)
            act(*dialog);
        else if (tries > 0)
            WhenModal<Dialog>(std::move(act), tries - 1);
    });
}
