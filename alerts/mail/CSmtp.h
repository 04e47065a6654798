// The program's SMTP client: one session over one TCP connection, greeting with EHLO
// (HELO when EHLO is refused), encrypting with STARTTLS when the server offers it (on
// port 465 from the start), logging in with AUTH LOGIN when a user name is set, and
// sending a CSmtpMessage. Every wait and read is bounded by the time-out; failures end
// in a result and a text for the user that never holds the password.
//
//   CSmtp smtp;
//   smtp.m_userName = "me"; smtp.m_password = "secret";
//   if (smtp.Connect("smtp.example.com", 587) && smtp.SendMessage(message) == 0) ...
//   else show smtp.GetErrorText();
//   smtp.Close();
#pragma once

#include "alerts/mail/CSmtpReplyReader.h"
#include "platform/core/CString.h"
#include "platform/core/CTcpSocket.h"

#include <atomic>
#include <memory>
#include <string>

class CSmtpMessage;
typedef struct ssl_st SSL;
typedef struct ssl_ctx_st SSL_CTX;

class CSmtp {
public:
    CSmtp();
    CSmtp(const CSmtp&) = delete;
    CSmtp& operator=(const CSmtp&) = delete;
    // Closes the session.
    virtual ~CSmtp();

    // 1 when the session is open and greeted; 0 otherwise (closed again, the reason in
    // GetErrorText). A failed login leaves the session open.
    int Connect(const char* server, unsigned port);
    // 0 when the server took the message; -1 without sender or recipient, for an address
    // that cannot be sent safely or when the connection failed; else the code of the
    // step that failed.
    int SendMessage(CSmtpMessage& message);
    // QUIT when greeted, then the connection is closed; nothing on a closed session.
    void Close();
    // Sends one command line (null: only reads a reply) and reads the reply; its code, or
    // -1 when the connection failed or no whole reply came within the time-out.
    int SendCommand(const char* command);
    // Any thread: ends the session's waits at once (the program is closing).
    void Abort();

    bool IsOpen() const { return m_socket.IsOpen(); }
    bool IsEncrypted() const { return m_ssl != nullptr; }
    bool IsLoggedIn() const { return m_bLoggedIn; }
    bool IsAuthenticated() const { return m_bAuthenticated; }
    const std::string& GetLastReply() const { return m_lastReply; }
    // Why the last step failed; empty when nothing did.
    const CString& GetErrorText() const { return m_error; }

    int m_bUseEhlo = 1;
    unsigned m_nTimeout = 30;  // seconds, for every wait
    CString m_userName;        // empty: no login
    CString m_password;
    // TLS from the start of the connection (always on port 465).
    bool m_bImplicitTls = false;
    // Sends the user name and password over a connection the server did not encrypt.
    bool m_bAllowLoginWithoutTls = false;
    // Certificates trusted beside the system's (PEM), for the server's certificate.
    CString m_caFile;
    // The name sent with EHLO; the machine's host name when empty.
    CString m_clientName;

protected:
    // Called with the code and the last reply; the defaults do nothing.
    virtual int OnWarning(int code, const char* reply);
    virtual int OnError(int code, const char* reply);
    // After each reply; the command is null for a reply awaited without one, and the
    // user name and password are never shown in it.
    virtual void OnResponse(const char* command, int code, const char* reply);
    // After each chunk of a long command; 0 stops it.
    virtual int OnProgress(const char* command, size_t sent, size_t total);

private:
    int ReportError(int code);
    int ReportWarning(int code);
    void Fail(const CString& text);
    // The step's error text from the reply.
    void Refused(const char* what, int code);
    int Hello();
    int Greet(const char* verb);
    int Login();
    bool StartTls();
    // A connected socket to the server (every address tried), or -1 with the reason.
    int ConnectSocket(unsigned port, CString& error);
    void CloseSocket();
    // The command as it may be shown (credential lines hidden).
    int Exchange(const char* command, const char* shown);
    int Talk(const char* command, const char* shown);
    bool SendAll(const char* data, size_t length, const char* shown);
    // Bytes read, 0 when the peer closed, -1 on an error, -2 at the deadline.
    long ReadSome(char* buffer, size_t size, long long deadlineMs);
    void DrainStaleInput();
    CString Scrub(const std::string& text) const;
    bool SetSocketTimeout(long long ms);

    CTcpSocket m_socket;
    std::atomic<int> m_fd{-1};
    std::atomic<bool> m_bAborted{false};
    SSL_CTX* m_ctx = nullptr;
    SSL* m_ssl = nullptr;
    CString m_server;
    std::string m_lastReply;
    CSmtpReplyReader m_reply;
    CString m_error;
    CString m_loginError;
    bool m_bLoggedIn = false;       // greeted: QUIT on close
    bool m_bExtended = false;       // EHLO accepted
    bool m_bAuthenticated = false;  // AUTH LOGIN accepted
    bool m_bOffersTls = false;
};
