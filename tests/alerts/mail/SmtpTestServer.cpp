#include "tests/alerts/mail/SmtpTestServer.h"

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

extern char** environ;

namespace fs = std::filesystem;

SmtpTestServer::~SmtpTestServer()
{
    Stop();
}

bool SmtpTestServer::Start(const Options& options, const std::string& folder)
{
    m_folder = folder;
    fs::create_directories(folder);
    std::vector<std::string> args = {"/usr/bin/python3", QX_SMTP_TEST_SERVER, "--mode", options.mode,
                                     "--folder", folder};
    if (!options.cert.empty())
        args.insert(args.end(), {"--cert", options.cert, "--key", options.key});
    if (!options.user.empty())
        args.insert(args.end(), {"--user", options.user, "--password", options.password});
    for (const std::string& address : options.refused)
        args.insert(args.end(), {"--refuse", address});
    std::vector<char*> argv;
    for (std::string& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);

    int out[2];
    if (pipe(out) != 0)
        return false;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    pid_t pid = -1;
    const int rc = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    if (rc != 0) {
        close(out[0]);
        return false;
    }
    m_pid = pid;
    std::string line;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (line.find('\n') == std::string::npos && std::chrono::steady_clock::now() < deadline) {
        pollfd p{out[0], POLLIN, 0};
        if (poll(&p, 1, 500) <= 0)
            continue;
        char buffer[256];
        const ssize_t got = read(out[0], buffer, sizeof buffer);
        if (got <= 0)
            break;
        line.append(buffer, static_cast<size_t>(got));
    }
    close(out[0]);
    if (line.rfind("PORT ", 0) != 0)
        return false;
    m_port = std::atoi(line.c_str() + 5);
    return m_port > 0;
}

void SmtpTestServer::Stop()
{
    if (m_pid <= 0)
        return;
    kill(m_pid, SIGTERM);
    int status = 0;
    for (int i = 0; i < 50 && waitpid(m_pid, &status, WNOHANG) == 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    if (waitpid(m_pid, &status, WNOHANG) == 0) {
        kill(m_pid, SIGKILL);
        waitpid(m_pid, &status, 0);
    }
    m_pid = -1;
}

std::vector<SmtpTestServer::Mail> SmtpTestServer::Received() const
{
    std::vector<Mail> mails;
    for (int n = 1;; ++n) {
        const fs::path folder = fs::path(m_folder) / ("mail-" + std::to_string(n));
        if (!fs::is_directory(folder))
            break;
        Mail mail;
        for (const auto& entry : fs::directory_iterator(folder)) {
            std::ifstream file(entry.path(), std::ios::binary);
            std::ostringstream text;
            text << file.rdbuf();
            mail[entry.path().filename().string()] = text.str();
        }
        mails.push_back(std::move(mail));
    }
    return mails;
}

bool SmtpTestServer::WaitForMail(size_t count, int timeoutMs) const
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (Received().size() < count) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return true;
}
