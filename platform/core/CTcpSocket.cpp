#include "platform/core/CTcpSocket.h"

#include "platform/core/CSyncObject.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {
using Clock = std::chrono::steady_clock;

struct AddrInfoDeleter {
    void operator()(addrinfo* info) const { freeaddrinfo(info); }
};

int remainingMs(Clock::time_point deadline, DWORD timeoutMs)
{
    if (timeoutMs == INFINITE)
        return -1;
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

int pollOne(int fd, short events, int timeoutMs)
{
    pollfd p{fd, events, 0};
    while (true) {
        const int r = ::poll(&p, 1, timeoutMs);
        if (r < 0 && errno == EINTR)
            continue;  // a signal: wait again (the time-out restarts, which only lengthens it)
        if (r <= 0)
            return r;
        if ((p.revents & events) != 0 || (p.revents & (POLLHUP | POLLERR)) != 0)
            return 1;
        return -1;
    }
}

void setError(CString* error, const char* what, const char* detail)
{
    if (error)
        error->Format("%s: %s", what, detail);
}

// One address: non-blocking connect, then wait for it until the deadline.
int connectOne(const addrinfo& ai, Clock::time_point deadline, DWORD timeoutMs, int& err)
{
    const int fd = ::socket(ai.ai_family, ai.ai_socktype | SOCK_CLOEXEC | SOCK_NONBLOCK, ai.ai_protocol);
    if (fd < 0) {
        err = errno;
        return INVALID_SOCKET;
    }
    int r = ::connect(fd, ai.ai_addr, ai.ai_addrlen);
    if (r != 0 && errno == EINPROGRESS) {
        r = pollOne(fd, POLLOUT, remainingMs(deadline, timeoutMs));
        if (r == 1) {
            int soError = 0;
            socklen_t len = sizeof soError;
            ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &soError, &len);
            r = soError == 0 ? 0 : -1;
            err = soError;
        } else {
            err = r == 0 ? ETIMEDOUT : errno;
            r = -1;
        }
    } else if (r != 0) {
        err = errno;
    }
    if (r != 0) {
        ::close(fd);
        return INVALID_SOCKET;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}
}  // namespace

CTcpSocket::CTcpSocket(CTcpSocket&& other) noexcept : m_fd(other.m_fd), m_lastError(other.m_lastError)
{
    other.m_fd = INVALID_SOCKET;
}

CTcpSocket& CTcpSocket::operator=(CTcpSocket&& other) noexcept
{
    if (this != &other) {
        Close();
        m_fd = other.m_fd;
        m_lastError = other.m_lastError;
        other.m_fd = INVALID_SOCKET;
    }
    return *this;
}

bool CTcpSocket::Connect(const char* host, int port, DWORD timeoutMs, CString* error)
{
    Close();
    if (!host || !*host || port <= 0 || port > 65535) {
        m_lastError = EINVAL;
        setError(error, "Bad address", host ? host : "");
        return false;
    }
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs == INFINITE ? 0 : timeoutMs);
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_ADDRCONFIG | AI_NUMERICSERV;
    const CString service = [port] {
        CString s;
        s.Format("%d", port);
        return s;
    }();
    addrinfo* found = nullptr;
    const int rc = ::getaddrinfo(host, service, &hints, &found);
    if (rc != 0) {
        m_lastError = rc == EAI_SYSTEM ? errno : EHOSTUNREACH;
        setError(error, "Cannot resolve host", gai_strerror(rc));
        return false;
    }
    const std::unique_ptr<addrinfo, AddrInfoDeleter> list(found);
    int err = ECONNREFUSED;
    for (const addrinfo* ai = found; ai; ai = ai->ai_next) {
        const int fd = connectOne(*ai, deadline, timeoutMs, err);
        if (fd != INVALID_SOCKET) {
            m_fd = fd;
            const int one = 1;
            ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
            return true;
        }
        if (err == ETIMEDOUT && remainingMs(deadline, timeoutMs) == 0)
            break;
    }
    m_lastError = err;
    setError(error, "Cannot connect", std::strerror(err));
    return false;
}

int CTcpSocket::Send(const void* data, size_t size)
{
    if (!IsOpen()) {
        m_lastError = EBADF;
        return -1;
    }
    while (true) {
        const ssize_t n = ::send(m_fd, data, size, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            m_lastError = errno;
        return static_cast<int>(n);
    }
}

bool CTcpSocket::SendAll(const void* data, size_t size)
{
    const auto* p = static_cast<const char*>(data);
    while (size > 0) {
        const int n = Send(p, size);
        if (n <= 0)
            return false;
        p += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

int CTcpSocket::Recv(void* buffer, size_t size)
{
    if (!IsOpen()) {
        m_lastError = EBADF;
        return -1;
    }
    while (true) {
        const ssize_t n = ::recv(m_fd, buffer, size, 0);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            m_lastError = errno;
        return static_cast<int>(n);
    }
}

int CTcpSocket::Wait(short events, DWORD timeoutMs) const
{
    if (!IsOpen()) {
        m_lastError = EBADF;
        return -1;
    }
    const int r = pollOne(m_fd, events, timeoutMs == INFINITE ? -1 : static_cast<int>(std::min<DWORD>(timeoutMs, INT32_MAX)));
    if (r < 0)
        m_lastError = errno;
    return r;
}

int CTcpSocket::WaitReadable(DWORD timeoutMs) const
{
    return Wait(POLLIN, timeoutMs);
}

int CTcpSocket::WaitWritable(DWORD timeoutMs) const
{
    return Wait(POLLOUT, timeoutMs);
}

void CTcpSocket::Shutdown(int how)
{
    if (IsOpen())
        ::shutdown(m_fd, how);
}

void CTcpSocket::Close()
{
    if (IsOpen()) {
        ::close(m_fd);
        m_fd = INVALID_SOCKET;
    }
}

bool CTcpListener::Listen(const char* address, int port, int backlog)
{
    Close();
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_PASSIVE | AI_NUMERICSERV;
    CString service;
    service.Format("%d", port);
    addrinfo* found = nullptr;
    if (::getaddrinfo(address, service, &hints, &found) != 0)
        return false;
    const std::unique_ptr<addrinfo, AddrInfoDeleter> list(found);
    for (const addrinfo* ai = found; ai; ai = ai->ai_next) {
        const int fd = ::socket(ai->ai_family, ai->ai_socktype | SOCK_CLOEXEC, ai->ai_protocol);
        if (fd < 0)
            continue;
        const int one = 1;
        ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
        sockaddr_storage bound{};
        socklen_t len = sizeof bound;
        if (::bind(fd, ai->ai_addr, ai->ai_addrlen) == 0 && ::listen(fd, backlog) == 0 &&
            ::getsockname(fd, reinterpret_cast<sockaddr*>(&bound), &len) == 0) {
            m_fd = fd;
            m_port = bound.ss_family == AF_INET6 ? ntohs(reinterpret_cast<sockaddr_in6*>(&bound)->sin6_port)
                                                 : ntohs(reinterpret_cast<sockaddr_in*>(&bound)->sin_port);
            return true;
        }
        ::close(fd);
    }
    return false;
}

CTcpSocket CTcpListener::Accept(DWORD timeoutMs)
{
    if (m_fd == INVALID_SOCKET)
        return CTcpSocket();
    const int wait = timeoutMs == INFINITE ? -1 : static_cast<int>(std::min<DWORD>(timeoutMs, INT32_MAX));
    if (pollOne(m_fd, POLLIN, wait) != 1)
        return CTcpSocket();
    const int fd = ::accept4(m_fd, nullptr, nullptr, SOCK_CLOEXEC);
    return CTcpSocket(fd >= 0 ? fd : INVALID_SOCKET);
}

void CTcpListener::Close()
{
    if (m_fd != INVALID_SOCKET) {
        ::close(m_fd);
        m_fd = INVALID_SOCKET;
    }
    m_port = 0;
}

BOOL AfxSocketInit()
{
    std::signal(SIGPIPE, SIG_IGN);
    return TRUE;
}
