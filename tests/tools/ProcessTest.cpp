// The qx_test_broker program as the README runs it: a certificate from
// make_cert.sh, free ports, a login, and a clean end on SIGTERM.
#include "BrokerTestClients.h"

#include <gtest/gtest.h>

#include <httplib.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

std::string TempFolder()
{
    const auto path = std::filesystem::temp_directory_path() / ("qx_tb_proc_" + std::to_string(::getpid()));
    std::filesystem::create_directories(path);
    return path.string();
}

}  // namespace

TEST(TestBrokerProgram, StartsWithAScriptCertificateAnswersAndStopsOnSigterm)
{
    const std::string folder = TempFolder();
    const std::string script = std::string(QX_SOURCE_ROOT) + "/tools/make_cert.sh";
    ASSERT_EQ(std::system(("bash " + script + " " + folder + " > /dev/null").c_str()), 0);
    const std::string cert = folder + "/cert.pem", key = folder + "/key.pem";

    int out[2];
    ASSERT_EQ(::pipe(out), 0);
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        ::dup2(out[1], STDOUT_FILENO);
        ::close(out[0]);
        ::close(out[1]);
        ::execl(QX_TEST_BROKER_PATH, QX_TEST_BROKER_PATH, "--https-port", "0", "--stream-port", "0", "--cert",
                cert.c_str(), "--key", key.c_str(), "--password", "secret", "--paused", static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(out[1]);
    FILE* reader = ::fdopen(out[0], "r");
    ASSERT_NE(reader, nullptr);
    char line[256] = {};
    unsigned https = 0, stream = 0;
    ASSERT_NE(std::fgets(line, sizeof line, reader), nullptr);
    ASSERT_EQ(std::sscanf(line, "qx_test_broker: https port %u, stream port %u", &https, &stream), 2) << line;
    EXPECT_GT(https, 0u);
    EXPECT_GT(stream, 0u);

    httplib::SSLClient client("127.0.0.1", static_cast<int>(https));
    client.set_ca_cert_path(cert.c_str());
    client.enable_server_certificate_verification(true);
    auto ok = client.Post("/apps/100/LogIn", "userid=demo&password=secret&source=QX&version=1",
                          "application/x-www-form-urlencoded");
    ASSERT_TRUE(ok);
    EXPECT_NE(ok->body.find("<result>OK</result>"), std::string::npos);
    auto bad = client.Post("/apps/100/LogIn", "userid=demo&password=demo&source=QX&version=1",
                           "application/x-www-form-urlencoded");
    ASSERT_TRUE(bad);
    EXPECT_NE(bad->body.find("Invalid user name or password."), std::string::npos);

    ASSERT_EQ(::kill(pid, SIGTERM), 0);
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    std::fclose(reader);
    std::filesystem::remove_all(folder);
}

TEST(TestBrokerProgram, RefusesAnAddressOutsideLoopback)
{
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        const int devnull = ::open("/dev/null", O_WRONLY);
        ::dup2(devnull, STDERR_FILENO);
        ::dup2(devnull, STDOUT_FILENO);
        ::execl(QX_TEST_BROKER_PATH, QX_TEST_BROKER_PATH, "--address", "0.0.0.0", "--https-port", "0",
                "--stream-port", "0", static_cast<char*>(nullptr));
        ::_exit(127);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);
}
