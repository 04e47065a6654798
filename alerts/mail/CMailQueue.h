// The program's one mail thread: e-mails wait in a queue and are sent one after the
// other, each in a session of its own; the result of each is handed to its caller.
//
//   queue.Send(settings, MakeTextMessage(address, subject, text),
//              [](const CMailResult& r) { post r to the interface thread });
#pragma once

#include "alerts/mail/CSmtpMessage.h"
#include "platform/core/CString.h"

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

class CSmtp;

// Where and how an e-mail goes.
struct CMailSettings {
    CString server;
    unsigned port = 25;
    bool login = false;  // send the user name and password
    CString userName;
    CString password;
    bool allowLoginWithoutTls = false;
    bool implicitTls = false;  // TLS from the start (always on port 465)
    CString caFile;  // trusted beside the system's certificates
    unsigned timeout = 30;
};

struct CMailResult {
    bool sent = false;
    // "The e-mail was sent." or why not; never holds the password.
    CString text;
};

// Connects, sends and closes one session.
CMailResult SendMail(const CMailSettings& settings, CSmtpMessage& message, CSmtp& session);

// A message from and to the address, with the subject and one text/plain body whose
// character set follows its text.
std::unique_ptr<CSmtpMessage> MakeTextMessage(const CString& address, const CString& subject, const CString& text);

class CMailQueue {
public:
    using Done = std::function<void(const CMailResult&)>;

    CMailQueue();
    ~CMailQueue();
    CMailQueue(const CMailQueue&) = delete;
    CMailQueue& operator=(const CMailQueue&) = delete;

    // The queue of the running program, or null.
    static CMailQueue* Instance();
    static void Install(CMailQueue* queue);

    // Queues the e-mail; done runs on the mail thread once it was tried. False after Stop.
    bool Send(const CMailSettings& settings, std::unique_ptr<CSmtpMessage> message, Done done);
    // E-mails waiting or being sent.
    size_t Pending() const;
    // Certificates trusted beside the system's, for senders that name none of their own.
    void SetCaFile(const CString& path);
    CString GetCaFile() const;
    // Drops the waiting e-mails (their done is not called), ends the session under way at
    // once and waits for the thread.
    void Stop();

private:
    struct Job {
        CMailSettings settings;
        std::unique_ptr<CSmtpMessage> message;
        Done done;
    };
    void Run();

    mutable std::mutex m_lock;
    std::condition_variable m_wake;
    std::deque<Job> m_jobs;
    bool m_bStopping = false;
    bool m_bBusy = false;
    CSmtp* m_pSession = nullptr;  // the session under way, for Stop
    CString m_caFile;
    std::thread m_thread;
};
