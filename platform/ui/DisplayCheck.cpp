#include "platform/ui/DisplayCheck.h"

#include <cctype>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <netdb.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

std::string Argument(int argc, char** argv, const char* name)
{
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], name) == 0)
            return argv[i + 1];
    return std::string();
}

std::string Environment(const char* name)
{
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

bool ConnectUnix(const std::string& path, bool abstract)
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const size_t offset = abstract ? 1 : 0;
    if (path.size() + offset >= sizeof(address.sun_path)) {
        ::close(fd);
        return false;
    }
    std::memcpy(address.sun_path + offset, path.data(), path.size());
    const socklen_t length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + offset + path.size());
    const bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&address), length) == 0;
    ::close(fd);
    return ok;
}

bool ConnectTcp(const std::string& host, int port)
{
    addrinfo hints{};
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (::getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found) != 0)
        return false;
    bool ok = false;
    for (addrinfo* a = found; a && !ok; a = a->ai_next) {
        const int fd = ::socket(a->ai_family, a->ai_socktype | SOCK_CLOEXEC, a->ai_protocol);
        if (fd < 0)
            continue;
        ok = ::connect(fd, a->ai_addr, a->ai_addrlen) == 0;
        ::close(fd);
    }
    ::freeaddrinfo(found);
    return ok;
}

}  // namespace

bool FindDisplay(int argc, char** argv, std::string& problem)
{
    std::string platform = Argument(argc, argv, "-platform");
    if (platform.empty())
        platform = Environment("QT_QPA_PLATFORM");
    platform = platform.substr(0, platform.find(':'));
    if (!platform.empty() && platform != "xcb")
        return true;
    if (platform.empty() && !Environment("WAYLAND_DISPLAY").empty())
        return true;
    std::string display = Argument(argc, argv, "-display");
    if (display.empty())
        display = Environment("DISPLAY");
    if (display.empty()) {
        problem = "no display found: DISPLAY is not set (start it inside an X session or under Xvfb)";
        return false;
    }
    const size_t colon = display.rfind(':');
    const std::string host = colon == std::string::npos ? std::string() : display.substr(0, colon);
    const int number = colon == std::string::npos ? -1 : std::atoi(display.c_str() + colon + 1);
    if (colon == std::string::npos || number < 0 || !std::isdigit(static_cast<unsigned char>(display[colon + 1]))) {
        problem = "no display found: DISPLAY \"" + display + "\" names no X display";
        return false;
    }
    bool reached = false;
    if (host.empty() || host == "unix") {
        const std::string socket = "/tmp/.X11-unix/X" + std::to_string(number);
        reached = ConnectUnix(socket, false) || ConnectUnix(socket, true);
    } else if (host[0] == '/') {
        reached = ConnectUnix(display.substr(0, colon), false);  // a socket path (launchd style)
    } else {
        reached = ConnectTcp(host, 6000 + number);
    }
    if (!reached)
        problem = "no display found: the X display " + display + " does not answer";
    return reached;
}
