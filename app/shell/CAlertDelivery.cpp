#include "app/shell/CAlertDelivery.h"

#include "alerts/AlertMail.h"
#include "alerts/CAlertBook.h"
#include "alerts/CColumnAlert.h"
#include "alerts/COrderFillAlert.h"
#include "alerts/mail/CMailQueue.h"
#include "alerts/ui/CAlertPopupDlg.h"
#include "app/shell/CWorkstationApp.h"
#include "broker/core/Formatters.h"
#include "common/services/CAppSettings.h"
#include "common/windows/ShellIds.h"
#include "platform/ui/CMessageQueue.h"
#include "platform/ui/CWinApp.h"
#include "platform/ui/CWndMessage.h"
#include "platform/ui/SoundPlayer.h"

#include <filesystem>
#include <functional>

namespace {

constexpr UINT WM_ALERT_MAIL_RESULT = WM_APP + 48;

// A hidden child of the main frame that runs, on the interface thread, what the mail
// thread hands it.
class CMailResultWindow : public CWnd {
public:
    using Task = std::function<void()>;

    const CMessageMap& GetMessageMap() const override
    {
        static const CMessageMap map =
            MessageMapFor<CMailResultWindow>(CWnd::GetMessageMap()).Message(WM_ALERT_MAIL_RESULT, &CMailResultWindow::OnTask).Build();
        return map;
    }

private:
    LRESULT OnTask(CWndMessage& message)
    {
        if (auto task = message.Take<Task>())
            task->value();
        return 0;
    }
};

// A relative sound path is taken under the program's "Sounds" folder.
CString SoundPath(const CString& file)
{
    const CAppSettings* settings = CAppSettings::Instance();
    if (file.IsEmpty() || std::filesystem::path(file.GetString()).is_absolute() || !settings)
        return file;
    return settings->GetFilePath("Sounds") + "/" + file;
}

}  // namespace

CAlertDelivery::CAlertDelivery(CMainFrame& frame, const CString& caFile)
    : m_frame(frame), m_hFrame(frame.m_hWnd), m_mail(std::make_unique<CMailQueue>())
{
    m_mail->SetCaFile(caFile);
    CMailQueue::Install(m_mail.get());
    auto window = std::make_unique<CMailResultWindow>();
    if (window->Create(nullptr, "", WS_CHILD, CRect(0, 0, 1, 1), &frame, 0))
        m_mailResults = std::move(window);
}

CAlertDelivery::~CAlertDelivery()
{
    Shutdown();
}

void CAlertDelivery::Shutdown()
{
    if (m_mail) {
        if (CMailQueue::Instance() == m_mail.get())
            CMailQueue::Install(nullptr);
        m_mail->Stop();
        m_mail.reset();
    }
    m_mailResults.reset();
}

bool CAlertDelivery::IsOwnedType(int type)
{
    return type == kAlertNews || type == kAlertColumn || type == kAlertOrderFill || type < 0;
}

void CAlertDelivery::DeliverAlert(std::unique_ptr<CAlertEvent> event, CAlert* alert)
{
    if (!alert)
        return;
    // The sender still holds the alert here, so its type and id can be read.
    const bool owned = IsOwnedType(alert->m_nType);
    if (!event)
        event = std::make_unique<CAlertEvent>();
    if (!owned) {
        // A user alert stays in the book: only its id travels, looked up on arrival.
        event->m_nAlertId = alert->GetId();
        alert = nullptr;
    }
    if (PostMessage(m_hFrame, WM_ALERT_DELIVERY, reinterpret_cast<WPARAM>(event.get()),
                    reinterpret_cast<LPARAM>(alert))) {
        (void)event.release();  // the main frame owns it now
        return;
    }
    delete alert;  // owned notifications only; null for a user alert
}

CString CAlertDelivery::GetAccountListText(int mode, const std::vector<CString>& names, int flag) const
{
    return IsWindow(m_hFrame) ? m_frame.GetAccountListText(mode, names, flag) : CString();
}

void CAlertDelivery::AlertListsChanged(std::uint64_t oldId, std::uint64_t newId)
{
    if (CWorkstationApp* app = GetWorkstationApp())
        app->NotifyAlertViews(static_cast<WPARAM>(oldId), static_cast<LPARAM>(newId));
}

bool CAlertDelivery::OwnsAlert(WPARAM, LPARAM alert)
{
    return alert != 0;
}

void CAlertDelivery::Present(WPARAM event, LPARAM alert)
{
    const auto* e = reinterpret_cast<const CAlertEvent*>(event);
    const auto* a = reinterpret_cast<const CAlert*>(alert);
    if (!a) {
        if (e)
            PresentUserAlert(*e);
        return;
    }
    CString text;
    switch (a->m_nType) {
    case kAlertNews:
        text.Format("New headline(s) for %s", a->m_symbol.GetString());
        m_frame.MessageBox(text, "News Alert", MB_OK | MB_ICONINFORMATION);
        break;
    case kAlertColumn:
        if (const auto* column = dynamic_cast<const CColumnAlert*>(a)) {
            PlayAlertSound(column->m_soundFile);
            text.Format("Symbol: %s\nColumn: %s\nValue: %s\n", column->m_symbol.GetString(),
                        column->m_columnName.GetString(), column->m_value.GetString());
            m_frame.MessageBox(text, "Level I Alert", MB_OK | MB_ICONINFORMATION);
        }
        break;
    case kAlertOrderFill:
        if (const auto* fill = dynamic_cast<const COrderFillAlert*>(a)) {
            m_frame.SetMessageText(fill->m_fillText);
            m_frame.GetTrayIcon().ShowBalloon("Order filled", fill->m_fillText);
        }
        break;
    default:
        break;
    }
}

void CAlertDelivery::PresentUserAlert(const CAlertEvent& event)
{
    const CAlertBook* book = CAlertBook::Instance();
    if (!book)
        return;
    // Only while the alert is still in the book, and only price and formula alerts.
    CString sound;
    CString symbol;
    CString subject;
    CString mailText;
    CString condition;
    bool shown = false;
    book->WithAlert(event.m_nAlertId, [&](const CAlert& alert) {
        if (alert.m_nType != kAlertPrice && alert.m_nType != kAlertFormula)
            return;
        shown = true;
        sound = alert.m_soundFile;
        symbol = alert.m_symbol;
        alert.GetConditionText(condition);
        subject = AlertMailSubject(alert);
        mailText = AlertMailText(alert, event);
    });
    if (!shown)
        return;
    AlertListsChanged(0, 0);  // the list shows the new firing
    PlayAlertSound(sound);
    CString balloon;
    balloon.Format("%s: %s\nPrice: %s\nTime: %s", symbol.GetString(), condition.GetString(),
                   FormatNumber(event.m_price, 2, 4).GetString(), event.m_date.GetString());
    m_frame.GetTrayIcon().ShowBalloon(symbol + " alert", balloon);
    m_frame.FlashWindow(TRUE);
    const CAppSettings* settings = CAppSettings::Instance();
    if (settings && settings->m_bEmailAlerts && !settings->m_alertEmailAddr.IsEmpty())
        SendAlertMail(event.m_nAlertId, event.m_date, symbol, subject, mailText);

    CAlertPopupDlg popup(event.m_nAlertId, event, &m_frame);
    if (!popup.IsValid())
        return;
    if (popup.Run() == IDC_POPUP_DISMISS_ALL)
        m_frame.ClearAlertQueue();
}

void CAlertDelivery::PlayAlertSound(const CString& file)
{
    if (file.IsEmpty())
        return;
    const CString path = SoundPath(file);
    switch (PlaySoundFile(path)) {
    case ESoundResult::kPlaying:
        break;
    case ESoundResult::kNoDevice:
        // Said once: the alerts go on without sound.
        if (!m_bNoSoundTold)
            m_frame.SetMessageText("No sound output device was found: alert sounds are not played.");
        m_bNoSoundTold = true;
        break;
    case ESoundResult::kMissingFile:
    case ESoundResult::kUnreadable:
        if (m_badSoundsTold.insert(path).second)
            m_frame.SetMessageText("The alert sound " + path + " cannot be played.");
        break;
    }
}

void CAlertDelivery::SendAlertMail(std::uint64_t id, const CString& date, const CString& symbol,
                                   const CString& subject, const CString& text)
{
    const CAppSettings* settings = CAppSettings::Instance();
    if (!m_mail || !settings)
        return;
    const HWND results = m_mailResults ? m_mailResults->m_hWnd : nullptr;
    m_mail->Send(MailSettingsFrom(*settings, CString()),
                 MakeTextMessage(settings->m_alertEmailAddr, subject, text),
                 [this, results, id, date, symbol](const CMailResult& result) {
                     // The mail thread: the outcome goes to the interface thread.
                     PostMessage(results, WM_ALERT_MAIL_RESULT, 0, 0,
                                 MakePayload<CMailResultWindow::Task>(
                                     [this, id, date, symbol, result] { OnMailResult(id, date, symbol, result); }));
                 });
}

void CAlertDelivery::OnMailResult(std::uint64_t id, const CString& date, const CString& symbol,
                                  const CMailResult& result)
{
    if (result.sent)
        return;
    m_frame.SetMessageText("The alert e-mail for " + symbol + " was not sent: " + result.text);
    // The firing in the alert's history tells it too.
    if (const CAlertBook* book = CAlertBook::Instance())
        if (book->WithAlert(id, [&](CAlert& alert) { alert.NoteHistory(date, "e-mail not sent: " + result.text); }))
            AlertListsChanged(0, 0);
}

void CAlertDelivery::Free(WPARAM event, LPARAM alert, bool ownsAlert)
{
    delete reinterpret_cast<CAlertEvent*>(event);
    if (ownsAlert)
        delete reinterpret_cast<CAlert*>(alert);
}
