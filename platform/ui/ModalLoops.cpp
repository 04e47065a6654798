#include "platform/ui/ModalLoops.h"

#include "platform/ui/WinUser.h"

#include <QApplication>
#include <QDialog>
#include <QMenu>
#include <QMetaObject>
#include <QPointer>
#include <QWidget>

#include <atomic>
#include <cstdio>
#include <vector>

namespace {

std::atomic<bool> g_refused{false};

}  // namespace

void EndModalLoops()
{
    // Innermost first: each one ends the loop it runs in. A dialog that refuses to go
    // (a validating page, say) is closed the plain way.
    for (int round = 0; round < 32; ++round) {
        QWidget* popup = QApplication::activePopupWidget();
        QWidget* modal = QApplication::activeModalWidget();
        if (!popup && !modal)
            return;
        if (popup) {
            popup->close();
            continue;
        }
        auto* dialog = qobject_cast<QDialog*>(modal);
        if (!dialog) {
            modal->close();
            continue;
        }
        QPointer<QDialog> guard(dialog);
        dialog->reject();
        if (guard && guard->isVisible())
            guard->done(QDialog::Rejected);
        if (guard && guard->isVisible())
            guard->hide();
    }
}

void RequestEndOfModalLoops()
{
    RefuseModalLoops(true);
    if (QCoreApplication* app = QCoreApplication::instance())
        QMetaObject::invokeMethod(app, [] { EndModalLoops(); }, Qt::QueuedConnection);
}

void RefuseModalLoops(bool refuse)
{
    g_refused.store(refuse);
}

bool AreModalLoopsRefused()
{
    return g_refused.load();
}

int AnswerRefusedMessageBox(const char* text, UINT type)
{
    std::fprintf(stderr, "%s\n", text ? text : "");
    switch (type & MB_TYPEMASK) {
    case MB_OK: return IDOK;
    case MB_YESNO: return IDNO;
    case MB_ABORTRETRYIGNORE: return IDABORT;
    default: return IDCANCEL;
    }
}
