#include "tools/testbroker/CSessionTable.h"

#include <cstdio>

namespace qx::testbroker {

CSessionTable::CSessionTable(uint64_t seed)
{
    // Session ids must not repeat across runs with the same market seed.
    std::random_device rd;
    m_rng.seed(seed ^ (static_cast<uint64_t>(rd()) << 32) ^ rd());
}

std::string CSessionTable::RandomHex()
{
    char buf[33];
    std::snprintf(buf, sizeof buf, "%016llx%016llx", static_cast<unsigned long long>(m_rng()),
                  static_cast<unsigned long long>(m_rng()));
    return buf;
}

Session CSessionTable::Create(const std::string& user, int64_t now)
{
    std::lock_guard lock(m_lock);
    Session s;
    s.id = RandomHex();
    s.user = user;
    s.token = RandomHex();
    s.messageKey = RandomHex();
    s.lastSeen = now;
    m_sessions[s.id] = s;
    m_issued.insert(m_issued.end(), {s.id, s.token, s.messageKey});
    return s;
}

std::optional<Session> CSessionTable::Touch(const std::string& id, int64_t now)
{
    std::lock_guard lock(m_lock);
    const auto it = m_sessions.find(id);
    if (it == m_sessions.end())
        return std::nullopt;
    if (now - it->second.lastSeen > kTimeoutSeconds) {
        m_sessions.erase(it);
        return std::nullopt;
    }
    it->second.lastSeen = now;
    return it->second;
}

std::optional<Session> CSessionTable::ByMessageKey(const std::string& key, int64_t now)
{
    std::lock_guard lock(m_lock);
    for (auto& [id, s] : m_sessions)
        if (!key.empty() && s.messageKey == key && now - s.lastSeen <= kTimeoutSeconds)
            return s;
    return std::nullopt;
}

bool CSessionTable::ValidToken(const std::string& user, const std::string& token, int64_t now)
{
    std::lock_guard lock(m_lock);
    for (auto& [id, s] : m_sessions)
        if (!token.empty() && s.user == user && s.token == token && now - s.lastSeen <= kTimeoutSeconds)
            return true;
    return false;
}

void CSessionTable::End(const std::string& id)
{
    std::lock_guard lock(m_lock);
    m_sessions.erase(id);
}

void CSessionTable::Clear()
{
    std::lock_guard lock(m_lock);
    m_sessions.clear();
}

size_t CSessionTable::Count() const
{
    std::lock_guard lock(m_lock);
    return m_sessions.size();
}

std::vector<std::string> CSessionTable::Issued() const
{
    std::lock_guard lock(m_lock);
    return m_issued;
}

}  // namespace qx::testbroker
