#include "alerts/mail/CMailQueue.h"

#include "alerts/mail/CSmtp.h"

#include <atomic>

namespace {

std::atomic<CMailQueue*> g_queue{nullptr};

} // namespace

CMailResult SendMail(const CMailSettings& settings, CSmtpMessage& message, CSmtp& session)
{
    CMailResult result;
    session.m_nTimeout = settings.timeout;
    session.m_caFile = settings.caFile;
    session.m_bAllowLoginWithoutTls = settings.allowLoginWithoutTls;
    session.m_bImplicitTls = settings.implicitTls;
    if (settings.login) {
        session.m_userName = settings.userName;
        session.m_password = settings.password;
        if (settings.userName.IsEmpty()) {
            result.text = "The e-mail settings ask for a login but name no user.";
            return result;
        }
    }
    if (!session.Connect(settings.server, settings.port)) {
        result.text = session.GetErrorText();
        return result;
    }
    const int code = session.SendMessage(message);
    result.sent = code == 0;
    result.text = result.sent ? CString("The e-mail was sent.") : session.GetErrorText();
    if (result.sent)
        for (const std::string& name : message.GetLeftOut())
            result.text += CString(" The attachment \"") + name.c_str() + "\" could not be read and was left out.";
    if (!result.sent && result.text.IsEmpty())
        result.text.Format("The e-mail was not sent (%d).", code);
    session.Close();
    return result;
}

std::unique_ptr<CSmtpMessage> MakeTextMessage(const CString& address, const CString& subject, const CString& text)
{
    auto message = std::make_unique<CSmtpMessage>();
    message->m_sender = CSmtpAddress(address);
    message->m_recipient = CSmtpAddress(address);
    message->m_subject = subject;
    message->m_bodies.emplace_back(text, "text/plain", TextCharset(text.str()), kMimeAuto);
    return message;
}

CMailQueue::CMailQueue() : m_thread([this] { Run(); }) {}

CMailQueue::~CMailQueue()
{
    Stop();
    if (g_queue.load() == this)
        g_queue = nullptr;
}

CMailQueue* CMailQueue::Instance()
{
    return g_queue.load();
}

void CMailQueue::Install(CMailQueue* queue)
{
    g_queue = queue;
}

bool CMailQueue::Send(const CMailSettings& settings, std::unique_ptr<CSmtpMessage> message, Done done)
{
    if (!message)
        return false;
    {
        std::lock_guard<std::mutex> lock(m_lock);
        if (m_bStopping)
            return false;
        m_jobs.push_back(Job{settings, std::move(message), std::move(done)});
        if (m_jobs.back().settings.caFile.IsEmpty())
            m_jobs.back().settings.caFile = m_caFile;
    }
    m_wake.notify_one();
    return true;
}

void CMailQueue::SetCaFile(const CString& path)
{
    std::lock_guard<std::mutex> lock(m_lock);
    m_caFile = path;
}

CString CMailQueue::GetCaFile() const
{
    std::lock_guard<std::mutex> lock(m_lock);
    return m_caFile;
}

size_t CMailQueue::Pending() const
{
    std::lock_guard<std::mutex> lock(m_lock);
    return m_jobs.size() + (m_bBusy ? 1 : 0);
}

void CMailQueue::Stop()
{
    {
        std::lock_guard<std::mutex> lock(m_lock);
        m_bStopping = true;
        m_jobs.clear();
        if (m_pSession)
            m_pSession->Abort();
    }
    m_wake.notify_all();
    if (m_thread.joinable())
        m_thread.join();
}

void CMailQueue::Run()
{
    for (;;) {
        Job job;
        CSmtp session;
        {
            std::unique_lock<std::mutex> lock(m_lock);
            m_wake.wait(lock, [this] { return m_bStopping || !m_jobs.empty(); });
            if (m_bStopping)
                return;
            job = std::move(m_jobs.front());
            m_jobs.pop_front();
            m_bBusy = true;
            m_pSession = &session;
        }
        const CMailResult result = SendMail(job.settings, *job.message, session);
        bool stopping = false;
        {
            std::lock_guard<std::mutex> lock(m_lock);
            m_pSession = nullptr;
            stopping = m_bStopping;
        }
        if (!stopping && job.done)
            job.done(result);
        std::lock_guard<std::mutex> lock(m_lock);
        m_bBusy = false;
    }
}
