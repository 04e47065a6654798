// A connected TCP socket (blocking I/O, with waits that have time-outs).
// Host names are resolved with getaddrinfo; IPv4 and IPv6 are both tried.
#pragma once

#include "platform/core/CString.h"

#include <cstddef>

inline constexpr int INVALID_SOCKET = -1;
// Directions for Shutdown (the same values as SHUT_RD, SHUT_WR, SHUT_RDWR).
inline constexpr int SD_RECEIVE = 0;
inline constexpr int SD_SEND = 1;
inline constexpr int SD_BOTH = 2;

class CTcpSocket {
public:
    CTcpSocket() = default;
    // Takes ownership of an open socket descriptor.
    explicit CTcpSocket(int fd) : m_fd(fd) {}
    CTcpSocket(CTcpSocket&& other) noexcept;
    CTcpSocket& operator=(CTcpSocket&& other) noexcept;
    CTcpSocket(const CTcpSocket&) = delete;
    CTcpSocket& operator=(const CTcpSocket&) = delete;
    ~CTcpSocket() { Close(); }

    // Connects to host:port within timeoutMs (INFINITE for no limit), trying each
    // address of the host. On failure the socket stays closed and *error says why.
    bool Connect(const char* host, int port, DWORD timeoutMs, CString* error = nullptr);

    // Sends everything or fails (false, with the connection left to be closed).
    bool SendAll(const void* data, size_t size);
    bool SendAll(const CString& text) { return SendAll(text.GetString(), static_cast<size_t>(text.GetLength())); }
    // Bytes sent or received; Recv gives 0 when the peer closed, -1 on an error.
    int Send(const void* data, size_t size);
    int Recv(void* buffer, size_t size);

    // 1 ready, 0 time-out, -1 error or closed socket.
    int WaitReadable(DWORD timeoutMs) const;
    int WaitWritable(DWORD timeoutMs) const;

    void Shutdown(int how = SD_BOTH);
    void Close();

    bool IsOpen() const { return m_fd != INVALID_SOCKET; }
    int GetHandle() const { return m_fd; }
    // errno of the last failed call on this socket.
    int GetLastError() const { return m_lastError; }

private:
    int Wait(short events, DWORD timeoutMs) const;

    int m_fd = INVALID_SOCKET;
    mutable int m_lastError = 0;
};

// Accepts connections on a local port, for tests and local services.
class CTcpListener {
public:
    CTcpListener() = default;
    CTcpListener(const CTcpListener&) = delete;
    CTcpListener& operator=(const CTcpListener&) = delete;
    ~CTcpListener() { Close(); }

    // Port 0 picks a free port; GetPort tells which.
    bool Listen(const char* address = "127.0.0.1", int port = 0, int backlog = 16);
    int GetPort() const { return m_port; }
    // The next connection, or a closed socket after timeoutMs.
    CTcpSocket Accept(DWORD timeoutMs);
    void Close();

private:
    int m_fd = INVALID_SOCKET;
    int m_port = 0;
};

// Prepares the process for sockets: writes to a closed connection report an
// error instead of ending the program. Safe to call more than once.
BOOL AfxSocketInit();
