// One stream connection (plain TCP) as the stream threads use it.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

class IStreamConnection {
public:
    virtual ~IStreamConnection() = default;
    virtual bool Connect(const std::string& host, int port, std::string& error) = 0;
    virtual bool SendAll(const std::string& text) = 0;
    // Waits up to timeoutMs for bytes: >0 bytes read, 0 timeout, -1 closed or failed.
    virtual long Receive(void* buffer, size_t size, int timeoutMs) = 0;
    virtual void Close() = 0;
};

using StreamConnectionFactory = std::unique_ptr<IStreamConnection> (*)();
