#include "platform/core/CThread.h"
#include "platform/core/CTcpSocket.h"
#include "platform/core/Tick.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <string>

TEST(CTcpSocket, EchoOverLoopbackWithWaitsAndShutdown)
{
    AfxSocketInit();
    CTcpListener listener;
    ASSERT_TRUE(listener.Listen("127.0.0.1", 0));
    ASSERT_GT(listener.GetPort(), 0);

    CThread server;
    server.Start([&] {
        CTcpSocket peer = listener.Accept(5000);
        if (!peer.IsOpen())
            return DWORD{1};
        char buffer[4096];
        while (true) {
            const int n = peer.Recv(buffer, sizeof buffer);
            if (n <= 0)
                break;
            if (!peer.SendAll(buffer, static_cast<size_t>(n)))
                return DWORD{2};
        }
        peer.Shutdown();
        return DWORD{0};
    });

    CTcpSocket client;
    CString error;
    // "localhost" may also name ::1, where nothing listens: the next address is tried.
    ASSERT_TRUE(client.Connect("localhost", listener.GetPort(), 3000, &error)) << error;
    EXPECT_EQ(client.WaitReadable(30), 0);  // nothing sent yet
    EXPECT_EQ(client.WaitWritable(1000), 1);

    std::string payload(1 << 20, '\0');
    for (size_t i = 0; i < payload.size(); ++i)
        payload[i] = static_cast<char>(i * 31);
    std::string received;
    CThread sender;
    sender.Start([&] { return client.SendAll(payload.data(), payload.size()) ? DWORD{0} : DWORD{1}; });
    char buffer[8192];
    while (received.size() < payload.size()) {
        ASSERT_EQ(client.WaitReadable(5000), 1);
        const int n = client.Recv(buffer, sizeof buffer);
        ASSERT_GT(n, 0);
        received.append(buffer, static_cast<size_t>(n));
    }
    sender.Join();
    EXPECT_EQ(sender.GetExitCode(), 0u);
    EXPECT_EQ(received, payload);

    client.Shutdown(SD_SEND);  // the server sees the end and closes its side
    ASSERT_EQ(client.WaitReadable(5000), 1);
    EXPECT_EQ(client.Recv(buffer, sizeof buffer), 0);
    server.Join();
    EXPECT_EQ(server.GetExitCode(), 0u);

    client.Close();
    EXPECT_FALSE(client.IsOpen());
    EXPECT_EQ(client.Send("x", 1), -1);
    EXPECT_EQ(client.Recv(buffer, 1), -1);
    EXPECT_EQ(client.WaitReadable(0), -1);
    EXPECT_EQ(client.GetLastError(), EBADF);
}

TEST(CTcpSocket, RefusedAndBadAddressesFailCleanly)
{
    int port = 0;
    {
        CTcpListener probe;
        ASSERT_TRUE(probe.Listen("127.0.0.1", 0));
        port = probe.GetPort();
    }
    CTcpSocket client;
    CString error;
    const ULONGLONG start = GetTickCount64();
    EXPECT_FALSE(client.Connect("127.0.0.1", port, 3000, &error));
    EXPECT_LT(GetTickCount64() - start, 2000u);
    EXPECT_EQ(client.GetLastError(), ECONNREFUSED);
    EXPECT_EQ(error.Left(14), "Cannot connect");
    EXPECT_FALSE(client.IsOpen());

    EXPECT_FALSE(client.Connect("", 25, 1000, &error));
    EXPECT_FALSE(client.Connect("127.0.0.1", 0, 1000, &error));
    EXPECT_FALSE(client.Connect("127.0.0.1", 70000, 1000, &error));
    EXPECT_EQ(client.GetLastError(), EINVAL);

    CTcpListener listener;
    ASSERT_TRUE(listener.Listen("127.0.0.1", 0));
    EXPECT_FALSE(listener.Accept(20).IsOpen());  // nobody connects

    // Moving hands the connection over.
    ASSERT_TRUE(client.Connect("127.0.0.1", listener.GetPort(), 3000));
    CTcpSocket moved(std::move(client));
    EXPECT_FALSE(client.IsOpen());
    EXPECT_TRUE(moved.IsOpen());
    CTcpSocket accepted = listener.Accept(3000);
    ASSERT_TRUE(accepted.IsOpen());
    EXPECT_TRUE(moved.SendAll(CString("EHLO host\r\n")));
    char buffer[64] = {};
    ASSERT_EQ(accepted.WaitReadable(3000), 1);
    EXPECT_EQ(accepted.Recv(buffer, sizeof buffer - 1), 11);
    EXPECT_STREQ(buffer, "EHLO host\r\n");
}
