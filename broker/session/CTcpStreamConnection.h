// A stream connection over the platform's TCP socket.
#pragma once

#include "broker/session/IStreamConnection.h"
#include "platform/core/CTcpSocket.h"

class CTcpStreamConnection : public IStreamConnection {
public:
    bool Connect(const std::string& host, int port, std::string& error) override;
    bool SendAll(const std::string& text) override;
    long Receive(void* buffer, size_t size, int timeoutMs) override;
    void Close() override;

    static std::unique_ptr<IStreamConnection> Create();

private:
    CTcpSocket m_socket;
};
