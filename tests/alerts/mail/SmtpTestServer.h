// The loopback SMTP server of the mail tests (smtp_test_server.py over aiosmtpd), started
// as a child process and stopped with the object.
#pragma once

#include <map>
#include <string>
#include <vector>

class SmtpTestServer {
public:
    struct Options {
        std::string mode = "plain";  // plain, starttls, implicit, stall, close, silent
        std::string cert;
        std::string key;
        std::string user;
        std::string password;
        std::vector<std::string> refused;
    };
    // One message as the server took it: file name -> contents.
    using Mail = std::map<std::string, std::string>;

    SmtpTestServer() = default;
    ~SmtpTestServer();
    SmtpTestServer(const SmtpTestServer&) = delete;
    SmtpTestServer& operator=(const SmtpTestServer&) = delete;

    // False when the server did not say its port within 30 seconds.
    bool Start(const Options& options, const std::string& folder);
    void Stop();
    int Port() const { return m_port; }
    // The messages taken so far, in order.
    std::vector<Mail> Received() const;
    // Waits up to the time for count messages.
    bool WaitForMail(size_t count, int timeoutMs) const;

private:
    int m_pid = -1;
    int m_port = 0;
    std::string m_folder;
};
