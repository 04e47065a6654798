#include "platform/ui/CUiResponder.h"

#include "platform/ui/CFont.h"
#include "platform/ui/CMenu.h"
#include "platform/ui/CWnd.h"
#include "platform/ui/ModalKeyRouting.h"
#include "platform/ui/QtConvert.h"
#include "platform/ui/TitleBarRoom.h"

#include <QAbstractButton>
#include <QAction>
#include <QColorDialog>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFontDialog>
#include <QGridLayout>
#include <QMenu>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QSpacerItem>
#include <QUrl>

#include <mutex>

namespace {

std::mutex g_lock;
std::unique_ptr<CUiResponder> g_current;

QWidget* OwnerWidget(CWnd* owner)
{
    return owner ? owner->GetOuterWidget() : nullptr;
}

// "Text (*.txt)|*.txt|All (*.*)|*.*||" -> Qt name filters.
QStringList NameFilters(const CString& filter)
{
    QStringList out;
    const QStringList parts = ToQString(filter).split(QChar('|'));
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        if (parts[i].isEmpty())
            break;
        QString patterns = parts[i + 1];
        patterns.replace(QChar(';'), QChar(' '));
        out << QStringLiteral("%1 (%2)").arg(parts[i].section(QChar('('), 0, 0).trimmed(), patterns);
    }
    return out;
}

// Widens the box, whose layout otherwise sizes it to its text and buttons alone, to what
// its title bar needs to show the title whole.
void FitTitleBar(QMessageBox& box)
{
    auto* grid = qobject_cast<QGridLayout*>(box.layout());
    if (!grid)
        return;
    const QMargins margins = grid->contentsMargins();
    const int width = TitleBarRoom(box, box.windowTitle()) - margins.left() - margins.right();
    // Beside the buttons' row, so that the box grows no taller.
    grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Minimum), grid->rowCount() - 1, 0, 1,
                  grid->columnCount());
}

}  // namespace

int CUiResponder::MessageBox(CWnd* owner, const CString& text, const CString& caption, UINT type)
{
    QMessageBox box(OwnerWidget(owner));
    box.setText(ToQString(text));
    box.setWindowTitle(caption.IsEmpty() ? QStringLiteral("Quorvantelix") : ToQString(caption));
    switch (type & MB_ICONMASK) {
    case MB_ICONERROR: box.setIcon(QMessageBox::Critical); break;
    case MB_ICONQUESTION: box.setIcon(QMessageBox::Question); break;
    case MB_ICONWARNING: box.setIcon(QMessageBox::Warning); break;
    case MB_ICONINFORMATION: box.setIcon(QMessageBox::Information); break;
    default: break;
    }
    struct Choice {
        QMessageBox::StandardButton button;
        int result;
    };
    std::vector<Choice> choices;
    switch (type & MB_TYPEMASK) {
    case MB_OKCANCEL: choices = {{QMessageBox::Ok, IDOK}, {QMessageBox::Cancel, IDCANCEL}}; break;
    case MB_ABORTRETRYIGNORE:
        choices = {{QMessageBox::Abort, IDABORT}, {QMessageBox::Retry, IDRETRY}, {QMessageBox::Ignore, IDIGNORE}};
        break;
    case MB_YESNOCANCEL: choices = {{QMessageBox::Yes, IDYES}, {QMessageBox::No, IDNO}, {QMessageBox::Cancel, IDCANCEL}}; break;
    case MB_YESNO: choices = {{QMessageBox::Yes, IDYES}, {QMessageBox::No, IDNO}}; break;
    case MB_RETRYCANCEL: choices = {{QMessageBox::Retry, IDRETRY}, {QMessageBox::Cancel, IDCANCEL}}; break;
    default: choices = {{QMessageBox::Ok, IDOK}}; break;
    }
    QMessageBox::StandardButtons buttons;
    for (const auto& c : choices)
        buttons |= c.button;
    box.setStandardButtons(buttons);
    const size_t def = ((type & MB_DEFMASK) >> 8);
    if (def < choices.size())
        box.setDefaultButton(choices[def].button);
    FitTitleBar(box);
    const int answer = ExecModalDialog(box);
    for (const auto& c : choices)
        if (answer == c.button)
            return c.result;
    return (type & MB_TYPEMASK) == MB_YESNO ? IDNO : IDCANCEL;
}

bool CUiResponder::ChooseFile(CWnd* owner, FileDialogRequest& r, std::vector<CString>& chosen)
{
    QFileDialog dlg(OwnerWidget(owner), ToQString(r.title));
    dlg.setAcceptMode(r.open ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
    dlg.setFileMode(r.open ? (r.multiSelect ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile) : QFileDialog::AnyFile);
    const QStringList filters = NameFilters(r.filter);
    if (!filters.isEmpty()) {
        dlg.setNameFilters(filters);
        if (r.filterIndex >= 1 && r.filterIndex <= filters.size())
            dlg.selectNameFilter(filters[r.filterIndex - 1]);
    }
    if (!r.defaultExt.IsEmpty())
        dlg.setDefaultSuffix(ToQString(r.defaultExt));
    if (!r.initialDir.IsEmpty())
        dlg.setDirectory(ToQString(r.initialDir));
    if (!r.fileName.IsEmpty())
        dlg.selectFile(ToQString(r.fileName));
    if (!r.overwritePrompt)
        dlg.setOption(QFileDialog::DontConfirmOverwrite);
    if (ExecModalDialog(dlg) != QDialog::Accepted)
        return false;
    for (const QString& f : dlg.selectedFiles())
        chosen.push_back(FromQString(f));
    r.filterIndex = static_cast<int>(filters.indexOf(dlg.selectedNameFilter())) + 1;
    return !chosen.empty();
}

bool CUiResponder::ChooseColor(CWnd* owner, COLORREF& color)
{
    QColorDialog dlg(ToQColor(color), OwnerWidget(owner));
    if (ExecModalDialog(dlg) != QDialog::Accepted || !dlg.selectedColor().isValid())
        return false;
    color = FromQColor(dlg.selectedColor());
    return true;
}

bool CUiResponder::ChooseFont(CWnd* owner, LOGFONT& font, COLORREF&)
{
    CFont current;
    current.CreateFontIndirect(&font);
    QFontDialog dlg(current.ToQFont(), OwnerWidget(owner));
    if (ExecModalDialog(dlg) != QDialog::Accepted)
        return false;
    font = CFont::FromQFont(dlg.selectedFont());
    return true;
}

bool CUiResponder::SetupPrinter(CWnd* owner, QPrinter& printer, bool& pageRange, int& fromPage, int& toPage)
{
    QPrintDialog dlg(&printer, OwnerWidget(owner));
    if (fromPage > 0 && toPage >= fromPage) {
        dlg.setMinMax(fromPage, toPage);
        dlg.setOption(QAbstractPrintDialog::PrintPageRange);
    }
    if (ExecModalDialog(dlg) != QDialog::Accepted)
        return false;
    pageRange = printer.printRange() == QPrinter::PageRange;
    if (pageRange) {
        fromPage = printer.fromPage();
        toPage = printer.toPage();
    }
    return true;
}

void CUiResponder::ShowPrintPreview(CWnd* owner, QPrinter& printer, const std::function<void(QPrinter&)>& render)
{
    QPrintPreviewDialog dlg(&printer, OwnerWidget(owner));
    QObject::connect(&dlg, &QPrintPreviewDialog::paintRequested, [&render](QPrinter* p) { render(*p); });
    ExecModalDialog(dlg);
}

UINT CUiResponder::TrackPopupMenu(CMenu& menu, CPoint screenPoint, CWnd*)
{
    QMenu* m = menu.GetQMenu();
    if (!m)
        return 0;
    QAction* a = m->exec(QPoint(screenPoint.x, screenPoint.y));
    return a && !a->menu() ? a->data().toUInt() : 0;
}

bool CUiResponder::OpenExternal(const CString& target)
{
    // Callers pass a checked http(s) URL or the absolute path of an existing file.
    const QString t = ToQString(target);
    const QUrl url(t);
    const QString scheme = url.scheme().toLower();
    if (scheme == QLatin1String("http") || scheme == QLatin1String("https"))
        return QDesktopServices::openUrl(url);
    return QDesktopServices::openUrl(QUrl::fromLocalFile(t));
}

CUiResponder& CUiResponder::Current()
{
    std::lock_guard lock(g_lock);
    if (!g_current)
        g_current = std::make_unique<CUiResponder>();
    return *g_current;
}

std::unique_ptr<CUiResponder> CUiResponder::Install(std::unique_ptr<CUiResponder> responder)
{
    std::lock_guard lock(g_lock);
    std::unique_ptr<CUiResponder> old = std::move(g_current);
    g_current = std::move(responder);
    return old;
}
