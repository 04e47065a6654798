#include "broker/session/CTcpStreamConnection.h"

bool CTcpStreamConnection::Connect(const std::string& host, int port, std::string& error)
{
    CString reason;
    if (m_socket.Connect(host.c_str(), port, 5000, &reason))
        return true;
    error = reason.str();
    return false;
}

bool CTcpStreamConnection::SendAll(const std::string& text)
{
    return m_socket.SendAll(text.data(), text.size());
}

long CTcpStreamConnection::Receive(void* buffer, size_t size, int timeoutMs)
{
    const int ready = m_socket.WaitReadable(static_cast<DWORD>(timeoutMs));
    if (ready == 0)
        return 0;
    if (ready < 0)
        return -1;
    const int n = m_socket.Recv(buffer, size);
    return n > 0 ? n : -1; // 0: the peer closed
}

void CTcpStreamConnection::Close()
{
    m_socket.Close();
}

std::unique_ptr<IStreamConnection> CTcpStreamConnection::Create()
{
    return std::make_unique<CTcpStreamConnection>();
}
