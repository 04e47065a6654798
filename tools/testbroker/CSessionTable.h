// Login sessions of the test broker: the session cookie, the stream token and
// the history key of each logged-in user. Thread-safe.
#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace qx::testbroker {

struct Session {
    std::string id;          // the KELVTRADING cookie value
    std::string user;
    std::string token;       // stream login
    std::string messageKey;  // history download
    int64_t lastSeen = 0;    // unix seconds
};

class CSessionTable {
public:
    static constexpr int64_t kTimeoutSeconds = 30 * 60;

    explicit CSessionTable(uint64_t seed);
    Session Create(const std::string& user, int64_t now);
    // The live session of a cookie value; refreshes its time.
    std::optional<Session> Touch(const std::string& id, int64_t now);
    std::optional<Session> ByMessageKey(const std::string& key, int64_t now);
    bool ValidToken(const std::string& user, const std::string& token, int64_t now);
    void End(const std::string& id);
    // Forgets every session (a restart of the broker).
    void Clear();
    size_t Count() const;
    // Every session id, stream token and history key handed out so far.
    std::vector<std::string> Issued() const;

private:
    std::string RandomHex();

    mutable std::mutex m_lock;
    std::mt19937_64 m_rng;
    std::map<std::string, Session> m_sessions;
    std::vector<std::string> m_issued;
};

}  // namespace qx::testbroker
