#include "alerts/mail/CSmtp.h"

#include "alerts/mail/CBase64.h"
#include "alerts/mail/CSmtpMessage.h"
#include "alerts/mail/MimeText.h"

#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <memory>
#include <mutex>
#include <cctype>

namespace {

constexpr size_t kChunk = 1024;
// How often MAIL FROM is sent again after "530 authentication required", and how often
// the login starts again when the handler asks for it after a refusal.
constexpr int kMaxMailFromRetries = 2;
constexpr int kMaxLoginRestarts = 2;
// Prompts of one login: user name and password, and a few the server may repeat.
constexpr int kMaxLoginPrompts = 4;

long long NowMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

std::mutex& FdLock()
{
    static std::mutex lock;
    return lock;
}

bool IsIpAddress(const char* host)
{
    unsigned char buffer[16];
    return inet_pton(AF_INET, host, buffer) == 1 || inet_pton(AF_INET6, host, buffer) == 1;
}

// A name for EHLO: the host name when it is a usable domain, else "localhost".
CString ClientName(const CString& configured)
{
    std::string name = configured.str();
    if (name.empty()) {
        char host[256] = {};
        if (gethostname(host, sizeof host - 1) == 0)
            name = host;
    }
    if (name.empty() || name.size() > 63)
        return "localhost";
    for (char c : name)
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '-' && c != '.')
            return "localhost";
    return CString(name);
}

// What a login prompt asks for, told by its letters alone: "Username:", "User Name" and
// "username" all read "username".
std::string PromptWord(const std::string& text)
{
    std::string word;
    for (char c : text)
        if (std::isalpha(static_cast<unsigned char>(c)))
            word += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return word;
}

CString TlsErrorText(SSL* ssl)
{
    const long verify = ssl ? SSL_get_verify_result(ssl) : X509_V_OK;
    if (verify != X509_V_OK)
        return CString("the server's certificate was not accepted (") + X509_verify_cert_error_string(verify) + ")";
    const unsigned long code = ERR_get_error();
    if (code == 0)
        return "the connection ended during the handshake";
    char text[256];
    ERR_error_string_n(code, text, sizeof text);
    return text;
}

} // namespace

CSmtp::CSmtp() = default;

CSmtp::~CSmtp()
{
    Close();
    if (m_ctx)
        SSL_CTX_free(m_ctx);
}

int CSmtp::OnWarning(int, const char*)
{
    return 0;
}

int CSmtp::OnError(int, const char*)
{
    return 0;
}

void CSmtp::OnResponse(const char*, int, const char*) {}

int CSmtp::OnProgress(const char*, size_t, size_t)
{
    return 1;
}

int CSmtp::ReportError(int code)
{
    if (code == -1)
        m_bLoggedIn = false;  // the connection is gone: no QUIT follows
    return OnError(code, m_lastReply.c_str());
}

int CSmtp::ReportWarning(int code)
{
    return OnWarning(code, m_lastReply.c_str());
}

void CSmtp::Fail(const CString& text)
{
    if (m_error.IsEmpty())
        m_error = text;
}

CString CSmtp::Scrub(const std::string& text) const
{
    // Printable text of a bounded length, with nothing of the credentials in it.
    std::string out;
    for (char c : text) {
        if (out.size() >= 300)
            break;
        out += c == '\r' || c == '\n' ? ' ' : (static_cast<unsigned char>(c) < 32 ? '?' : c);
    }
    for (const std::string& secret : {m_password.str(), EncodeBase64(m_password.str())}) {
        if (secret.size() < 3)
            continue;
        for (size_t at = out.find(secret); at != std::string::npos; at = out.find(secret, at))
            out.replace(at, secret.size(), "***");
    }
    return CString(out);
}

void CSmtp::Refused(const char* what, int code)
{
    if (code < 0)
        return;  // the connection's failure is told already
    Fail(CString(what) + ": " + Scrub(m_lastReply));
}

bool CSmtp::SetSocketTimeout(long long ms)
{
    if (ms < 1)
        ms = 1;
    timeval tv{};
    tv.tv_sec = static_cast<time_t>(ms / 1000);
    tv.tv_usec = static_cast<suseconds_t>((ms % 1000) * 1000);
    const int fd = m_socket.GetHandle();
    return setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv) == 0 &&
           setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &tv, sizeof tv) == 0;
}

void CSmtp::Abort()
{
    m_bAborted = true;
    std::lock_guard<std::mutex> lock(FdLock());
    const int fd = m_fd.load();
    if (fd >= 0)
        ::shutdown(fd, SHUT_RDWR);
}

void CSmtp::CloseSocket()
{
    if (m_ssl) {
        SSL_free(m_ssl);
        m_ssl = nullptr;
    }
    std::lock_guard<std::mutex> lock(FdLock());
    m_fd = -1;
    m_socket.Shutdown(SD_BOTH);
    m_socket.Close();
}

long CSmtp::ReadSome(char* buffer, size_t size, long long deadlineMs)
{
    for (;;) {
        if (m_bAborted)
            return 0;
        if (!(m_ssl && SSL_pending(m_ssl) > 0)) {
            const long long remaining = deadlineMs - NowMs();
            if (remaining <= 0)
                return -2;
            pollfd p{m_socket.GetHandle(), POLLIN, 0};
            const int ready = ::poll(&p, 1, static_cast<int>(std::min<long long>(remaining, 60000)));
            if (ready < 0) {
                if (errno == EINTR)
                    continue;
                return -1;
            }
            if (ready == 0)
                continue;  // measured against the deadline again
        }
        if (!m_ssl) {
            const long got = ::recv(m_socket.GetHandle(), buffer, size, 0);
            if (got < 0 && errno == EINTR)
                continue;
            return got;
        }
        SetSocketTimeout(deadlineMs - NowMs());
        ERR_clear_error();
        const int got = SSL_read(m_ssl, buffer, static_cast<int>(std::min<size_t>(size, 1 << 20)));
        if (got > 0)
            return got;
        const int error = SSL_get_error(m_ssl, got);
        if (error == SSL_ERROR_ZERO_RETURN)
            return 0;
        if (error == SSL_ERROR_WANT_READ || error == SSL_ERROR_WANT_WRITE)
            continue;  // the socket's time-out ran out inside a record
        if (error == SSL_ERROR_SYSCALL && ERR_peek_error() == 0 && (errno == 0 || errno == ECONNRESET))
            return 0;
        return -1;
    }
}

bool CSmtp::SendAll(const char* data, size_t length, const char* shown)
{
    size_t sent = 0;
    while (sent < length) {
        const size_t chunk = std::min(kChunk, length - sent);
        const long long deadline = NowMs() + static_cast<long long>(m_nTimeout) * 1000;
        size_t done = 0;
        while (done < chunk) {
            if (m_bAborted) {
                Fail("The e-mail was cancelled.");
                return false;
            }
            const long long remaining = deadline - NowMs();
            if (remaining <= 0) {
                CString text;
                text.Format("The server did not take the data within %u seconds.", m_nTimeout);
                Fail(text);
                return false;
            }
            pollfd p{m_socket.GetHandle(), POLLOUT, 0};
            const int ready = ::poll(&p, 1, static_cast<int>(std::min<long long>(remaining, 60000)));
            if (ready < 0 && errno != EINTR) {
                Fail("The connection to the server failed.");
                return false;
            }
            if (ready <= 0)
                continue;
            long wrote = 0;
            if (m_ssl) {
                SetSocketTimeout(remaining);
                ERR_clear_error();
                const int n = SSL_write(m_ssl, data + sent + done, static_cast<int>(chunk - done));
                if (n <= 0) {
                    const int error = SSL_get_error(m_ssl, n);
                    if (error == SSL_ERROR_WANT_READ || error == SSL_ERROR_WANT_WRITE)
                        continue;
                    wrote = -1;
                } else {
                    wrote = n;
                }
            } else {
                wrote = ::send(m_socket.GetHandle(), data + sent + done, chunk - done, MSG_NOSIGNAL);
                if (wrote < 0 && (errno == EINTR || errno == EAGAIN))
                    continue;
            }
            if (wrote <= 0) {
                Fail(m_bAborted ? "The e-mail was cancelled." : "The server closed the connection.");
                return false;
            }
            done += static_cast<size_t>(wrote);
        }
        sent += chunk;
        if (length > kChunk && !OnProgress(shown, sent, length)) {
            Fail("The e-mail was cancelled.");
            return false;
        }
    }
    return true;
}

void CSmtp::DrainStaleInput()
{
    // Whatever came unasked before a command is no reply to it; after STARTTLS it must
    // never be read as part of the encrypted session either.
    char buffer[4096];
    for (int round = 0; round < 64; ++round) {
        if (!(m_ssl && SSL_pending(m_ssl) > 0)) {
            pollfd p{m_socket.GetHandle(), POLLIN, 0};
            if (::poll(&p, 1, 0) <= 0 || !(p.revents & POLLIN))
                return;
        }
        if (ReadSome(buffer, sizeof buffer, NowMs() + 100) <= 0)
            return;
    }
}

int CSmtp::Exchange(const char* command, const char* shown)
{
    const int code = Talk(command, shown);
    if (code < 0)
        m_bLoggedIn = false;  // the connection cannot be used any more: no QUIT follows
    return code;
}

int CSmtp::Talk(const char* command, const char* shown)
{
    m_lastReply.clear();
    if (!m_socket.IsOpen()) {
        Fail("There is no connection to the server.");
        return -1;
    }
    if (command) {
        DrainStaleInput();
        if (!SendAll(command, std::strlen(command), shown))
            return -1;
    }
    m_reply.Reset();
    const long long deadline = NowMs() + static_cast<long long>(m_nTimeout) * 1000;
    char buffer[4096];
    while (m_reply.GetState() == CSmtpReplyReader::kIncomplete) {
        const long got = ReadSome(buffer, sizeof buffer, deadline);
        if (got == -2) {
            CString text;
            text.Format("The server did not answer within %u seconds.", m_nTimeout);
            Fail(text);
            return -1;
        }
        if (got == 0) {
            Fail(m_bAborted ? "The e-mail was cancelled." : "The server closed the connection.");
            return -1;
        }
        if (got < 0) {
            Fail("The connection to the server failed.");
            return -1;
        }
        m_reply.Feed(buffer, static_cast<size_t>(got));
    }
    m_lastReply = m_reply.GetText();
    if (m_reply.GetState() != CSmtpReplyReader::kComplete) {
        Fail("The server's reply could not be read.");
        return -1;
    }
    const int code = m_reply.GetCode();
    OnResponse(shown, code, m_lastReply.c_str());
    return code;
}

int CSmtp::SendCommand(const char* command)
{
    return Exchange(command, command);
}

bool CSmtp::StartTls()
{
    if (!m_ctx) {
        m_ctx = SSL_CTX_new(TLS_client_method());
        if (!m_ctx) {
            Fail("The secure connection could not be prepared.");
            return false;
        }
        SSL_CTX_set_min_proto_version(m_ctx, TLS1_2_VERSION);
        SSL_CTX_set_verify(m_ctx, SSL_VERIFY_PEER, nullptr);
        SSL_CTX_set_default_verify_paths(m_ctx);
        if (!m_caFile.IsEmpty() && SSL_CTX_load_verify_locations(m_ctx, m_caFile, nullptr) != 1) {
            Fail("The certificate file " + m_caFile + " could not be read.");
            return false;
        }
    }
    m_ssl = SSL_new(m_ctx);
    if (!m_ssl) {
        Fail("The secure connection could not be prepared.");
        return false;
    }
    SSL_set_fd(m_ssl, m_socket.GetHandle());
    X509_VERIFY_PARAM* param = SSL_get0_param(m_ssl);
    if (IsIpAddress(m_server)) {
        X509_VERIFY_PARAM_set1_ip_asc(param, m_server);
    } else {
        SSL_set_tlsext_host_name(m_ssl, m_server.GetString());
        X509_VERIFY_PARAM_set_hostflags(param, X509_CHECK_FLAG_NO_PARTIAL_WILDCARDS);
        X509_VERIFY_PARAM_set1_host(param, m_server, 0);
    }
    const long long deadline = NowMs() + static_cast<long long>(m_nTimeout) * 1000;
    for (;;) {
        const long long remaining = deadline - NowMs();
        if (remaining <= 0 || m_bAborted) {
            CString text;
            text.Format("The secure connection was not made within %u seconds.", m_nTimeout);
            Fail(m_bAborted ? CString("The e-mail was cancelled.") : text);
            return false;
        }
        SetSocketTimeout(remaining);
        ERR_clear_error();
        const int result = SSL_connect(m_ssl);
        if (result == 1)
            return true;
        const int error = SSL_get_error(m_ssl, result);
        if (error == SSL_ERROR_WANT_READ || error == SSL_ERROR_WANT_WRITE)
            continue;
        Fail("The secure connection to " + m_server + " failed: " + TlsErrorText(m_ssl) + ".");
        return false;
    }
}

int CSmtp::Connect(const char* server, unsigned port)
{
    Close();
    m_error.Empty();
    m_loginError.Empty();
    m_bAuthenticated = false;
    m_bOffersTls = false;
    m_server = server ? server : "";
    if (m_server.IsEmpty() || m_server.GetLength() > 255 || m_server.FindOneOf(" \t\r\n") >= 0) {
        Fail("The SMTP server \"" + Scrub(m_server.str()) + "\" is not a host name.");
        return 0;
    }
    if (port == 0 || port > 65535) {
        Fail("The SMTP port must be a number from 1 to 65535.");
        return 0;
    }
    CString error;
    const int fd = ConnectSocket(port, error);
    if (fd < 0) {
        CString text;
        text.Format("Cannot connect to %s on port %u: %s", m_server.GetString(), port, error.GetString());
        Fail(m_bAborted ? CString("The e-mail was cancelled.") : text);
        return 0;
    }
    {
        std::lock_guard<std::mutex> lock(FdLock());
        m_socket = CTcpSocket(fd);
        m_fd = fd;
    }
    // Port 465 speaks TLS from the start.
    if ((m_bImplicitTls || port == 465) && !StartTls()) {
        CloseSocket();
        return 0;
    }
    const int greeting = Exchange(nullptr, nullptr);
    if (greeting != 220) {
        Refused("The server refused the connection", greeting);
        ReportError(greeting);
        CloseSocket();
        return 0;
    }
    if (Hello() != 0) {
        CloseSocket();
        m_bLoggedIn = false;
        return 0;
    }
    return 1;
}

int CSmtp::ConnectSocket(unsigned port, CString& error)
{
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_ADDRCONFIG | AI_NUMERICSERV;
    const std::string service = std::to_string(port);
    addrinfo* found = nullptr;
    const int rc = ::getaddrinfo(m_server, service.c_str(), &hints, &found);
    if (rc != 0) {
        error = CString("the host name is not known (") + gai_strerror(rc) + ")";
        return -1;
    }
    const std::unique_ptr<addrinfo, void (*)(addrinfo*)> list(found, freeaddrinfo);
    const long long deadline = NowMs() + static_cast<long long>(m_nTimeout) * 1000;
    int lastError = ECONNREFUSED;
    for (const addrinfo* ai = found; ai && !m_bAborted; ai = ai->ai_next) {
        const int fd = ::socket(ai->ai_family, ai->ai_socktype | SOCK_CLOEXEC | SOCK_NONBLOCK, ai->ai_protocol);
        if (fd < 0) {
            lastError = errno;
            continue;
        }
        int result = ::connect(fd, ai->ai_addr, ai->ai_addrlen);
        if (result != 0 && errno == EINPROGRESS) {
            // Waited for in short steps, so that Abort ends the wait.
            result = -1;
            lastError = ETIMEDOUT;
            while (!m_bAborted && NowMs() < deadline) {
                pollfd p{fd, POLLOUT, 0};
                const int ready = ::poll(&p, 1, static_cast<int>(std::min<long long>(deadline - NowMs(), 100)));
                if (ready < 0 && errno != EINTR) {
                    lastError = errno;
                    break;
                }
                if (ready > 0) {
                    int soError = 0;
                    socklen_t length = sizeof soError;
                    ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &soError, &length);
                    lastError = soError;
                    result = soError == 0 ? 0 : -1;
                    break;
                }
            }
        } else if (result != 0) {
            lastError = errno;
        }
        if (result == 0) {
            const int flags = ::fcntl(fd, F_GETFL, 0);
            ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
            return fd;
        }
        ::close(fd);
        if (NowMs() >= deadline)
            break;
    }
    error = std::strerror(lastError);
    return -1;
}

int CSmtp::Greet(const char* verb)
{
    CString line;
    line.Format("%s %s\r\n", verb, ClientName(m_clientName).GetString());
    return Exchange(line, line);
}

int CSmtp::Hello()
{
    if (m_bUseEhlo) {
        int code = Greet("EHLO");
        if (code == 250) {
            m_bExtended = true;
            m_bLoggedIn = true;
            m_bOffersTls = m_reply.HasKeyword("STARTTLS");
            if (!IsEncrypted() && m_bOffersTls) {
                const int ready = Exchange("STARTTLS\r\n", "STARTTLS\r\n");
                if (ready == 220) {
                    if (!StartTls())
                        return -1;
                    code = Greet("EHLO");  // the server's offer again, now encrypted
                    if (code != 250) {
                        Refused("The server refused EHLO after STARTTLS", code);
                        ReportError(code);
                        return code;
                    }
                } else if (ready < 0) {
                    return -1;
                }
            }
            Login();  // the session stays open whether or not the login succeeded
            return 0;
        }
        if (code < 0) {
            ReportError(code);
            return -1;
        }
    }
    m_bExtended = false;
    const int code = Greet("HELO");
    if (code == 250) {
        m_bLoggedIn = true;
        if (!m_userName.IsEmpty())
            m_loginError = "The server offers no login (it does not speak ESMTP).";
        return 0;
    }
    Refused("The server refused HELO", code);
    ReportError(code);
    return code == 0 ? -1 : code;
}

int CSmtp::Login()
{
    if (m_userName.IsEmpty())
        return 0;
    if (!IsEncrypted() && !m_bAllowLoginWithoutTls) {
        m_loginError = "The server offers no encryption; the user name and password are not sent without it.";
        return -1;
    }
    for (int restart = 0;; ++restart) {
        int code = Exchange("AUTH LOGIN\r\n", "AUTH LOGIN\r\n");
        if (code != 334) {
            if (code >= 0)
                m_loginError = "The server refused the login: " + Scrub(m_lastReply);
            ReportWarning(code);
            return code;
        }
        for (int prompt = 0; code == 334; ++prompt) {
            std::string decoded;
            const std::string text = m_lastReply.size() > 4 ? m_lastReply.substr(4) : std::string();
            const bool known = prompt < kMaxLoginPrompts && DecodeBase64(text, decoded);
            const std::string asked = PromptWord(decoded);
            const CString* answer = nullptr;
            const char* shown = nullptr;
            if (known && asked == "username") {
                answer = &m_userName;
                shown = "<user name>";
            } else if (known && asked == "password") {
                answer = &m_password;
                shown = "<password>";
            }
            if (!answer) {
                // Not a question of AUTH LOGIN: the login is cancelled (RFC 4954).
                Exchange("*\r\n", "*\r\n");
                m_loginError = "The server asked for something other than the user name and password.";
                return 334;
            }
            const std::string line = EncodeBase64(answer->str()) + "\r\n";
            code = Exchange(line.c_str(), shown);
        }
        if (code == 235) {
            m_bAuthenticated = true;
            m_loginError.Empty();
            return 0;
        }
        if (code == 535) {
            m_loginError = "The server refused the user name or password: " + Scrub(m_lastReply);
            const int again = ReportWarning(535);
            if (again == 1 && restart < kMaxLoginRestarts)
                continue;
            return again == 0 || again == 1 ? 535 : again;
        }
        if (code >= 0)
            m_loginError = "The login failed: " + Scrub(m_lastReply);
        ReportError(code);
        return code;
    }
}

int CSmtp::SendMessage(CSmtpMessage& message)
{
    m_error.Empty();
    // Blind recipients alone would leave the To line empty.
    const bool anyRecipient = !message.m_recipient.m_address.IsEmpty() || !message.m_recipients.empty();
    if (message.m_sender.m_address.IsEmpty() || !anyRecipient) {
        Fail(message.m_sender.m_address.IsEmpty() ? "The e-mail has no sender address."
                                                  : "The e-mail has no recipient.");
        return -1;
    }
    // Every address goes into a command line: one that could end or add a command is
    // refused before anything is sent.
    std::vector<CString> recipients;
    if (!message.m_recipient.m_address.IsEmpty())
        recipients.push_back(message.m_recipient.m_address);
    for (const auto* list : {&message.m_recipients, &message.m_blindRecipients})
        for (const CSmtpAddress& address : *list)
            recipients.push_back(address.m_address);
    for (const CString& address : recipients)
        if (!IsMailAddress(address.str())) {
            Fail("The e-mail address \"" + Scrub(address.str()) + "\" cannot be used.");
            return -1;
        }
    if (!IsMailAddress(message.m_sender.m_address.str())) {
        Fail("The e-mail address \"" + Scrub(message.m_sender.m_address.str()) + "\" cannot be used.");
        return -1;
    }
    std::string text;
    CString buildError;
    if (!message.BuildText(text, buildError)) {
        Fail(buildError);
        return -1;
    }
    if (!m_socket.IsOpen()) {
        Fail("There is no connection to the server.");
        return -1;
    }

    const CString mailFrom = "MAIL FROM:<" + message.m_sender.m_address + ">\r\n";
    int code = Exchange(mailFrom, mailFrom);
    for (int retry = 0; code == 530 && retry < kMaxMailFromRetries; ++retry) {
        if (m_userName.IsEmpty())
            break;
        Login();
        code = Exchange(mailFrom, mailFrom);
    }
    if (code != 250) {
        if (code == 530 && !m_loginError.IsEmpty())
            Fail(m_loginError);
        else if (code == 530 && m_userName.IsEmpty())
            Fail("The server asks for a login: " + Scrub(m_lastReply));
        Refused("The server refused the sender", code);
        ReportError(code);
        return code;
    }

    // From here on a failure leaves a transaction open at the server: it is reset, so
    // that the session can send again.
    const auto reset = [this] {
        if (m_socket.IsOpen() && m_bLoggedIn) {
            const CString error = m_error;
            Exchange("RSET\r\n", "RSET\r\n");
            m_error = error;
        }
    };
    int accepted = 0;
    for (const CString& address : recipients) {
        const CString line = "RCPT TO:<" + address + ">\r\n";
        code = Exchange(line, line);
        if (code == 250 || code == 251) {
            ++accepted;
            continue;
        }
        if (code < 0) {
            ReportError(code);
            return -1;
        }
        Refused("The server refused the recipient " + address, code);
        ReportWarning(code);
    }
    if (accepted == 0) {
        ReportError(code);
        reset();
        return code;
    }

    code = Exchange("DATA\r\n", "DATA\r\n");
    if (code != 354) {
        Refused("The server refused DATA", code);
        ReportError(code);
        reset();
        return code < 0 ? -1 : code;
    }
    const bool endsWithLine = text.size() >= 2 && text.compare(text.size() - 2, 2, "\r\n") == 0;
    text += endsWithLine ? ".\r\n" : "\r\n.\r\n";
    code = Exchange(text.c_str(), "<message>");
    if (code != 250) {
        Refused("The server did not take the e-mail", code);
        ReportError(code);
        reset();
        return code < 0 ? -1 : code;
    }
    return 0;
}

void CSmtp::Close()
{
    if (!m_socket.IsOpen())
        return;
    if (m_bLoggedIn && !m_bAborted) {
        const CString error = m_error;
        const int code = Exchange("QUIT\r\n", "QUIT\r\n");
        if (code != 221)
            ReportError(code);
        m_error = error;  // the step that failed is what the user hears of
    }
    m_bLoggedIn = false;
    if (m_ssl && !m_bAborted)
        SSL_shutdown(m_ssl);
    CloseSocket();
}
