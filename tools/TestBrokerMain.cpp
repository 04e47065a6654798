// qx_test_broker: runs the local test broker until interrupted.
#include "tools/testbroker/CTestBroker.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <thread>

namespace {

volatile std::sig_atomic_t g_stop = 0;

void OnSignal(int)
{
    g_stop = 1;
}

void Usage()
{
    std::puts(
        "usage: qx_test_broker [options]\n"
        "  --https-port N      HTTPS port for the API, login, history and update file (default 8443, 0 any)\n"
        "  --stream-port N     stream port (default 8444, 0 any)\n"
        "  --address A         loopback address to listen on (default 127.0.0.1)\n"
        "  --user U            user name (default demo)\n"
        "  --password P        password (default demo)\n"
        "  --cert FILE --key FILE   certificate and key (default: made in --cert-dir)\n"
        "  --cert-dir DIR      where to write a self-signed certificate\n"
        "  --seed N            market seed\n"
        "  --symbols N         number of stocks (default 300)\n"
        "  --tick-ms N         milliseconds between simulation steps (default 100)\n"
        "  --moves N           symbols moved per step (default 20)\n"
        "  --paused            start with the simulation paused\n"
        "  --news-history N    headlines about every symbol over the last days (default 3)\n"
        "  --sample-orders     start with open, filled and saved orders in the first account");
}

// A few orders of every kind in the user's first account, priced from the market.
void PlaceSampleOrders(qx::testbroker::CTestBroker& broker)
{
    const auto accounts = broker.Accounts();
    if (accounts.empty())
        return;
    const std::string account = accounts.front().id;
    auto price = [&](const char* symbol, double factor) {
        const auto s = broker.Symbol(symbol);
        char text[32];
        std::snprintf(text, sizeof text, "%.2f", s ? s->last * factor : 1.0);
        return std::string(text);
    };
    struct Sample {
        const char* action;
        const char* quantity;
        const char* symbol;
        const char* type;
        double factor;
        const char* expire;
        bool save;  // a saved order
    };
    static const Sample kSamples[] = {
        {"buy", "100", "MSFT", "limit", 0.95, "day", false},
        {"buy", "50", "IBM", "market", 0, "day", false},
        {"sell", "25", "IBM", "limit", 1.10, "gtc", false},
        {"buy", "200", "INTC", "stop_market", 1.05, "day", false},
        {"sellshort", "100", "GE", "limit", 1.08, "day_ext", false},
        {"buy", "300", "F", "market", 0, "day", false},
        {"buy", "10", "AAPL", "limit", 0.97, "day", true},
        {"sell", "5", "IBM", "limit", 1.15, "gtc", true},
        {"buy", "1000", "T", "limit", 0.9, "day", true}};
    const std::time_t inAMonth = std::time(nullptr) + 30 * 86400;
    std::tm later{};
    localtime_r(&inAMonth, &later);
    for (const Sample& s : kSamples) {
        const std::string type = s.type;
        const std::string limit = type == "limit" ? price(s.symbol, s.factor) : "";
        const std::string stop = type == "stop_market" ? price(s.symbol, s.factor) : "";
        std::string order = "accountid=" + account + "~action=" + s.action + "~quantity=" + s.quantity +
                            "~symbol=" + s.symbol + "~ordtype=" + type + "~price=" + limit + "~actprice=" + stop +
                            "~tsparam=~expire=" + s.expire + "~spinstructions=none~routing=auto";
        if (std::strcmp(s.expire, "gtc") == 0)
            order += "~exmonth=" + std::to_string(later.tm_mon + 1) + "~exday=" + std::to_string(later.tm_mday) +
                     "~exyear=" + std::to_string(later.tm_year + 1900);
        else
            order += "~exmonth=~exday=~exyear=";
        std::string error;
        if (broker.PlaceOrder(order, false, s.save, error).empty())
            std::fprintf(stderr, "qx_test_broker: sample order %s %s: %s\n", s.action, s.symbol, error.c_str());
    }
}

bool ReadNumber(const char* text, long min, long max, long& out)
{
    char* end = nullptr;
    out = std::strtol(text, &end, 10);
    return end && *end == '\0' && out >= min && out <= max;
}

}  // namespace

int main(int argc, char** argv)
{
    qx::testbroker::TestBrokerOptions options;
    options.newsHistory = 3;
    bool sampleOrders = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        long n = 0;
        auto number = [&](long min, long max) {
            if (!hasValue || !ReadNumber(argv[++i], min, max, n)) {
                std::fprintf(stderr, "qx_test_broker: bad value for %s\n", arg.c_str());
                std::exit(2);
            }
            return n;
        };
        auto text = [&]() -> std::string {
            if (!hasValue) {
                std::fprintf(stderr, "qx_test_broker: %s needs a value\n", arg.c_str());
                std::exit(2);
            }
            return argv[++i];
        };
        if (arg == "--https-port") options.httpsPort = static_cast<uint16_t>(number(0, 65535));
        else if (arg == "--stream-port") options.streamPort = static_cast<uint16_t>(number(0, 65535));
        else if (arg == "--address") options.address = text();
        else if (arg == "--user") options.user = text();
        else if (arg == "--password") options.password = text();
        else if (arg == "--cert") options.certFile = text();
        else if (arg == "--key") options.keyFile = text();
        else if (arg == "--cert-dir") options.certFolder = text();
        else if (arg == "--seed") options.seed = static_cast<uint64_t>(number(0, 0x7FFFFFFF));
        else if (arg == "--symbols") options.stockCount = static_cast<int>(number(1, 5000));
        else if (arg == "--tick-ms") options.tickIntervalMs = static_cast<int>(number(1, 60000));
        else if (arg == "--moves") options.movesPerTick = static_cast<int>(number(0, 10000));
        else if (arg == "--paused") options.startPaused = true;
        else if (arg == "--news-history") options.newsHistory = static_cast<int>(number(0, 20));
        else if (arg == "--sample-orders") sampleOrders = true;
        else if (arg == "--help" || arg == "-h") {
            Usage();
            return 0;
        } else {
            std::fprintf(stderr, "qx_test_broker: unknown option %s\n", arg.c_str());
            Usage();
            return 2;
        }
    }
    qx::testbroker::CTestBroker broker(options);
    std::string error;
    if (!broker.Start(error)) {
        std::fprintf(stderr, "qx_test_broker: %s\n", error.c_str());
        return 1;
    }
    if (sampleOrders)
        PlaceSampleOrders(broker);
    std::signal(SIGINT, OnSignal);
    std::signal(SIGTERM, OnSignal);
    std::printf("qx_test_broker: https port %u, stream port %u\n", broker.HttpsPort(), broker.StreamPort());
    std::printf("qx_test_broker: CA file %s\n", broker.CaFile().c_str());
    std::printf("qx_test_broker: user %s\n", options.user.c_str());
    std::fflush(stdout);
    while (!g_stop)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    broker.Stop();
    return 0;
}
