#include "tools/testbroker/CStreamServer.h"

#include "tools/testbroker/CRequestLineFramer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstring>

namespace qx::testbroker {

using protocol::ServiceClause;
using protocol::StatusCode;
using protocol::StatusRecord;
using protocol::StreamRecord;

namespace {
constexpr size_t kMaxQueued = 32u << 20;  // a client this far behind is dropped
constexpr size_t kCompressAbove = 512;
}  // namespace

std::vector<uint8_t> EncodeForWire(const StreamRecord& record)
{
    std::vector<uint8_t> bytes = protocol::EncodeRecord(record, false);
    if (bytes.size() > protocol::kHeaderSize + kCompressAbove)
        bytes = protocol::EncodeRecord(record, true);
    return bytes;
}

struct CStreamServer::Connection {
    int id = 0;
    int fd = -1;
    bool control = false;
    bool loggedIn = false;
    std::string user;
    // Subscriptions and quote fields; guarded by the server lock.
    std::set<std::string> subs[protocol::kServiceCount];
    bool allFields = false;
    std::set<int> fields;
    uint64_t requests = 0;
    // Outgoing bytes; guarded by outLock.
    std::mutex outLock;
    std::condition_variable outReady;
    std::vector<uint8_t> out;
    // Runs of out sent evenly over a duration rather than at once.
    struct PacedRun {
        size_t offset = 0;
        size_t length = 0;
        std::chrono::milliseconds duration{0};
    };
    std::vector<PacedRun> paced;
    bool closing = false;
    uint64_t bytesSent = 0;
    std::atomic<bool> readerDone{false};
    std::atomic<bool> writerDone{false};
    std::thread reader;
    std::thread writer;
};

CStreamServer::CStreamServer(StreamHandlers handlers) : m_handlers(std::move(handlers)) {}

CStreamServer::~CStreamServer()
{
    Stop();
}

bool CStreamServer::Start(const std::string& address, uint16_t port, std::string& error)
{
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(port);
    if (inet_pton(AF_INET, address.c_str(), &addr.sin_addr) != 1 || (ntohl(addr.sin_addr.s_addr) >> 24) != 127) {
        error = "the stream server listens on loopback addresses only";
        return false;
    }
    m_listen = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (m_listen < 0) {
        error = std::string("socket: ") + std::strerror(errno);
        return false;
    }
    const int one = 1;
    ::setsockopt(m_listen, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    if (::bind(m_listen, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || ::listen(m_listen, 64) != 0) {
        error = std::string("bind/listen: ") + std::strerror(errno);
        ::close(m_listen);
        m_listen = -1;
        return false;
    }
    socklen_t len = sizeof addr;
    ::getsockname(m_listen, reinterpret_cast<sockaddr*>(&addr), &len);
    m_port = ntohs(addr.sin_port);
    m_stop = false;
    m_acceptThread = std::thread([this] { AcceptLoop(); });
    return true;
}

void CStreamServer::Stop()
{
    if (m_listen < 0 && !m_acceptThread.joinable())
        return;
    m_stop = true;
    if (m_acceptThread.joinable())
        m_acceptThread.join();
    if (m_listen >= 0) {
        ::close(m_listen);
        m_listen = -1;
    }
    // Tell every client, let the writers flush, then close what is left.
    const auto connections = Snapshot();
    for (const auto& c : connections) {
        SendStatus(*c, StatusCode::Closing, "Server closing");
        {
            std::lock_guard lock(c->outLock);
            c->closing = true;
        }
        c->outReady.notify_all();
    }
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(500);
    for (const auto& c : connections)
        while (!c->writerDone && std::chrono::steady_clock::now() < until)
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
    DropAll();
    Reap(true);
}

void CStreamServer::AcceptLoop()
{
    while (!m_stop) {
        pollfd p{m_listen, POLLIN, 0};
        const int ready = ::poll(&p, 1, 50);
        Reap(false);
        if (ready <= 0 || !(p.revents & POLLIN))
            continue;
        const int fd = ::accept4(m_listen, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0)
            continue;
        if (m_refused) {
            ::close(fd);
            continue;
        }
        const int one = 1;
        ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        auto c = std::make_shared<Connection>();
        c->fd = fd;
        {
            std::lock_guard lock(m_lock);
            c->id = m_nextId++;
            m_connections[c->id] = c;
        }
        c->reader = std::thread([this, c] { ReadLoop(c); });
        c->writer = std::thread([this, c] { WriteLoop(c); });
    }
}

void CStreamServer::Reap(bool all)
{
    std::vector<std::shared_ptr<Connection>> done;
    {
        std::lock_guard lock(m_lock);
        for (auto it = m_connections.begin(); it != m_connections.end();) {
            if (all || (it->second->readerDone && it->second->writerDone)) {
                done.push_back(it->second);
                it = m_connections.erase(it);
            } else {
                ++it;
            }
        }
    }
    if (!done.empty())
        m_changed.notify_all();
    for (auto& c : done) {
        ::shutdown(c->fd, SHUT_RDWR);
        {
            std::lock_guard lock(c->outLock);
            c->closing = true;
        }
        c->outReady.notify_all();
        if (c->reader.joinable())
            c->reader.join();
        if (c->writer.joinable())
            c->writer.join();
        ::close(c->fd);
    }
}

void CStreamServer::ReadLoop(std::shared_ptr<Connection> c)
{
    CRequestLineFramer lines(protocol::kMaxRequestLine);
    char buf[4096];
    for (;;) {
        const ssize_t n = ::recv(c->fd, buf, sizeof buf, 0);
        if (n <= 0)
            break;
        bool tooLong = false;
        if (!lines.Feed(buf, static_cast<size_t>(n), [&](const std::string& line) { HandleLine(*c, line); })) {
            SendStatus(*c, StatusCode::BadRequest, "request too long");
            tooLong = true;
        }
        bool closing;
        {
            std::lock_guard lock(c->outLock);
            closing = c->closing;
        }
        if (tooLong || closing)
            break;
    }
    {
        std::lock_guard lock(c->outLock);
        c->closing = true;
    }
    c->outReady.notify_all();
    c->readerDone = true;
}

namespace {

// Sends bytes [from, to) of the chunk; returns where it stopped (to unless the send failed).
size_t SendSpan(int fd, const std::vector<uint8_t>& chunk, size_t from, size_t to)
{
    while (from < to) {
        const ssize_t n = ::send(fd, chunk.data() + from, to - from, MSG_NOSIGNAL);
        if (n <= 0)
            break;
        from += static_cast<size_t>(n);
    }
    return from;
}

}  // namespace

void CStreamServer::WriteLoop(std::shared_ptr<Connection> c)
{
    std::vector<uint8_t> chunk;
    std::vector<Connection::PacedRun> paced;
    for (;;) {
        {
            std::unique_lock lock(c->outLock);
            c->outReady.wait_for(lock, std::chrono::milliseconds(50),
                                 [&] { return c->closing || (!c->out.empty() && !m_stalled); });
            if (c->out.empty() || m_stalled) {
                if (c->closing)
                    break;
                continue;
            }
            chunk.swap(c->out);
            c->out.clear();
            paced.swap(c->paced);
            c->paced.clear();
        }
        size_t sent = 0;
        bool failed = false;
        for (const Connection::PacedRun& run : paced) {
            sent = SendSpan(c->fd, chunk, sent, run.offset);
            failed = sent != run.offset;
            // Slices about 10 ms apart, the first at once and the last at the end of the
            // duration, each at its time on a schedule that does not drift.
            const auto start = std::chrono::steady_clock::now();
            const int64_t slices = std::max<int64_t>(2, run.duration.count() / 10);
            for (int64_t i = 0; i < slices && !failed; ++i) {
                std::this_thread::sleep_until(start + run.duration * i / (slices - 1));
                const size_t to = run.offset + static_cast<size_t>(static_cast<int64_t>(run.length) * (i + 1) / slices);
                sent = SendSpan(c->fd, chunk, sent, to);
                failed = sent != to;
            }
            if (failed)
                break;
        }
        paced.clear();
        if (!failed)
            sent = SendSpan(c->fd, chunk, sent, chunk.size());
        {
            std::lock_guard lock(c->outLock);
            c->bytesSent += sent;
            if (sent < chunk.size())
                c->closing = true;
        }
        chunk.clear();
        std::lock_guard lock(c->outLock);
        if (c->closing && c->out.empty())
            break;
    }
    ::shutdown(c->fd, SHUT_RDWR);
    c->writerDone = true;
}

void CStreamServer::Enqueue(Connection& c, const std::vector<uint8_t>& bytes, std::chrono::milliseconds paced)
{
    bool drop = false;
    {
        std::lock_guard lock(c.outLock);
        if (c.closing)
            return;
        if (c.out.size() + bytes.size() > kMaxQueued) {
            c.closing = true;
            drop = true;
        } else {
            if (paced.count() > 0 && !bytes.empty())
                c.paced.push_back({c.out.size(), bytes.size(), paced});
            c.out.insert(c.out.end(), bytes.begin(), bytes.end());
        }
    }
    if (drop)
        ::shutdown(c.fd, SHUT_RDWR);
    c.outReady.notify_one();
}

void CStreamServer::EnqueueRecord(Connection& c, const StreamRecord& record)
{
    Enqueue(c, EncodeForWire(record));
}

void CStreamServer::SendStatus(Connection& c, StatusCode code, const std::string& text)
{
    EnqueueRecord(c, StreamRecord{static_cast<uint8_t>(protocol::Service::Session), 0,
                                  StatusRecord{static_cast<uint16_t>(code), text}});
}

void CStreamServer::HandleLine(Connection& c, const std::string& line)
{
    protocol::StreamRequest request;
    std::string error;
    {
        std::lock_guard lock(m_lock);
        ++c.requests;
    }
    if (!protocol::ParseStreamRequest(line, request, error)) {
        SendStatus(c, StatusCode::BadRequest, error);
        if (!c.loggedIn) {
            std::lock_guard lock(c.outLock);
            c.closing = true;
        }
        return;
    }
    if (!c.loggedIn) {
        if (request.userId.empty() || !m_handlers.login || !m_handlers.login(request.userId, request.token)) {
            SendStatus(c, StatusCode::LoginRefused, "Invalid user or token.");
            std::lock_guard lock(c.outLock);
            c.closing = true;
            return;
        }
        {
            std::lock_guard lock(m_lock);
            c.loggedIn = true;
            c.user = request.userId;
            c.control = request.control;
        }
        m_changed.notify_all();
        SendStatus(c, StatusCode::LoggedIn, "Logged in");
    } else if (request.control != c.control) {
        SendStatus(c, StatusCode::BadRequest, "control flag differs from the login request");
        return;
    }
    for (const ServiceClause& clause : request.clauses)
        HandleClause(c, protocol::ServiceIndex(clause.service), clause);
}

void CStreamServer::HandleClause(Connection& c, int service, const ServiceClause& clause)
{
    const size_t s = static_cast<size_t>(service);
    if (clause.command == "UNSUBS") {
        std::lock_guard lock(m_lock);
        if (clause.symbols.empty())
            c.subs[s].clear();
        for (const std::string& item : clause.symbols)
            c.subs[s].erase(item);
        return;
    }
    if (!c.control && service == static_cast<int>(protocol::Service::Quote)) {
        std::lock_guard lock(m_lock);
        if (clause.fields.empty())
            c.allFields = true;
        c.fields.insert(clause.fields.begin(), clause.fields.end());
    }
    for (const std::string& item : clause.symbols) {
        std::string error;
        auto deliver = [&](std::vector<StreamRecord>& images) {
            if (!c.control) {
                std::lock_guard lock(m_lock);
                c.subs[s].insert(item);
            }
            for (StreamRecord& r : images) {
                if (!c.control && service == 0 && std::holds_alternative<protocol::QuoteRecord>(r.body)) {
                    auto& q = std::get<protocol::QuoteRecord>(r.body);
                    std::lock_guard lock(m_lock);
                    if (!c.allFields)
                        std::erase_if(q.fields, [&](const protocol::QuoteField& f) { return !c.fields.count(f.id); });
                }
                EnqueueRecord(c, r);
            }
        };
        if (!m_handlers.image || !m_handlers.image(c.user, service, item, deliver, error)) {
            SendStatus(c, StatusCode::SubscriptionRefused, error.empty() ? "Refused: " + item : error);
            continue;
        }
        m_changed.notify_all();
    }
}

std::vector<std::shared_ptr<CStreamServer::Connection>> CStreamServer::Snapshot() const
{
    std::lock_guard lock(m_lock);
    std::vector<std::shared_ptr<Connection>> out;
    for (const auto& [id, c] : m_connections)
        out.push_back(c);
    return out;
}

void CStreamServer::PublishQuote(const std::string& symbol, const std::vector<protocol::QuoteField>& fields,
                                 uint8_t flags)
{
    std::vector<uint8_t> full;
    for (auto& c : Snapshot()) {
        std::vector<protocol::QuoteField> mine;
        bool all = false;
        {
            std::lock_guard lock(m_lock);
            if (c->control || !c->loggedIn || !c->subs[0].count(symbol))
                continue;
            all = c->allFields;
            if (!all)
                for (const auto& f : fields)
                    if (c->fields.count(f.id))
                        mine.push_back(f);
        }
        if (all) {
            if (full.empty())
                full = EncodeForWire(StreamRecord{0, flags, protocol::QuoteRecord{symbol, fields}});
            Enqueue(*c, full);
        } else if (!mine.empty()) {
            EnqueueRecord(*c, StreamRecord{0, flags, protocol::QuoteRecord{symbol, std::move(mine)}});
        }
    }
}

void CStreamServer::Publish(int service, const std::string& item, const StreamRecord& record)
{
    if (service < 0 || service >= protocol::kServiceCount)
        return;
    std::vector<uint8_t> bytes;
    for (auto& c : Snapshot()) {
        {
            std::lock_guard lock(m_lock);
            if (c->control || !c->loggedIn || !c->subs[static_cast<size_t>(service)].count(item))
                continue;
        }
        if (bytes.empty())
            bytes = EncodeForWire(record);
        Enqueue(*c, bytes);
    }
}

void CStreamServer::Heartbeat(int64_t serverTimeMs)
{
    uint32_t sequence = 0;
    {
        std::lock_guard lock(m_lock);
        sequence = m_heartbeatSeq + 1;
    }
    const auto bytes = EncodeForWire(StreamRecord{static_cast<uint8_t>(protocol::Service::Session), 0,
                                                  protocol::HeartbeatRecord{serverTimeMs, sequence}});
    for (auto& c : Snapshot()) {
        bool loggedIn;
        {
            std::lock_guard lock(m_lock);
            loggedIn = c->loggedIn;
        }
        if (loggedIn)
            Enqueue(*c, bytes);
    }
    {
        std::lock_guard lock(m_lock);
        m_heartbeatSeq = sequence;
    }
    m_changed.notify_all();
}

uint64_t CStreamServer::HeartbeatCount() const
{
    std::lock_guard lock(m_lock);
    return m_heartbeatSeq;
}

bool CStreamServer::WaitForHeartbeatAfter(uint64_t seen, int timeoutMs) const
{
    std::unique_lock lock(m_lock);
    return m_changed.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return m_heartbeatSeq > seen; });
}

void CStreamServer::SendRaw(const std::vector<uint8_t>& bytes, bool controlToo)
{
    for (auto& c : Snapshot()) {
        bool target;
        {
            std::lock_guard lock(m_lock);
            target = c->loggedIn && (controlToo || !c->control);
        }
        if (target)
            Enqueue(*c, bytes);
    }
}

void CStreamServer::SendRawPaced(const std::vector<uint8_t>& bytes, std::chrono::milliseconds duration)
{
    for (auto& c : Snapshot()) {
        bool target;
        {
            std::lock_guard lock(m_lock);
            target = c->loggedIn && !c->control;
        }
        if (target)
            Enqueue(*c, bytes, duration);
    }
}

void CStreamServer::DropAll()
{
    for (auto& c : Snapshot()) {
        {
            std::lock_guard lock(c->outLock);
            c->closing = true;
        }
        ::shutdown(c->fd, SHUT_RDWR);
        c->outReady.notify_all();
    }
}

void CStreamServer::SetRefused(bool refused)
{
    m_refused = refused;
    if (refused)
        DropAll();
}

void CStreamServer::DropUser(const std::string& user)
{
    for (auto& c : Snapshot()) {
        bool mine;
        {
            std::lock_guard lock(m_lock);
            mine = c->user == user;
        }
        if (!mine)
            continue;
        {
            std::lock_guard lock(c->outLock);
            c->closing = true;
        }
        ::shutdown(c->fd, SHUT_RDWR);
        c->outReady.notify_all();
    }
}

bool CStreamServer::Drop(int id)
{
    std::shared_ptr<Connection> c;
    {
        std::lock_guard lock(m_lock);
        const auto it = m_connections.find(id);
        if (it == m_connections.end())
            return false;
        c = it->second;
    }
    {
        std::lock_guard lock(c->outLock);
        c->closing = true;
    }
    ::shutdown(c->fd, SHUT_RDWR);
    c->outReady.notify_all();
    return true;
}

void CStreamServer::SetStalled(bool stalled)
{
    m_stalled = stalled;
    for (auto& c : Snapshot())
        c->outReady.notify_all();
}

std::vector<StreamConnectionInfo> CStreamServer::Connections() const
{
    std::vector<StreamConnectionInfo> out;
    for (auto& c : Snapshot()) {
        StreamConnectionInfo info;
        {
            std::lock_guard lock(m_lock);
            info.id = c->id;
            info.control = c->control;
            info.loggedIn = c->loggedIn;
            info.user = c->user;
            info.requests = c->requests;
        }
        {
            std::lock_guard lock(c->outLock);
            info.bytesSent = c->bytesSent;
            if (c->closing)
                continue;
        }
        out.push_back(std::move(info));
    }
    return out;
}

bool CStreamServer::IsSubscribed(int service, const std::string& item) const
{
    if (service < 0 || service >= protocol::kServiceCount)
        return false;
    std::lock_guard lock(m_lock);
    for (const auto& [id, c] : m_connections)
        if (c->subs[static_cast<size_t>(service)].count(item))
            return true;
    return false;
}

std::set<std::string> CStreamServer::SubscribedItems(int service) const
{
    std::set<std::string> items;
    if (service < 0 || service >= protocol::kServiceCount)
        return items;
    std::lock_guard lock(m_lock);
    for (const auto& [id, c] : m_connections)
        items.insert(c->subs[static_cast<size_t>(service)].begin(), c->subs[static_cast<size_t>(service)].end());
    return items;
}

bool CStreamServer::WaitForSubscription(int service, const std::string& item, int timeoutMs) const
{
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!IsSubscribed(service, item)) {
        if (std::chrono::steady_clock::now() >= until)
            return false;
        std::unique_lock lock(m_lock);
        m_changed.wait_for(lock, std::chrono::milliseconds(10));
    }
    return true;
}

bool CStreamServer::WaitForConnections(size_t count, int timeoutMs) const
{
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        size_t n = 0;
        for (const auto& info : Connections())
            n += info.loggedIn;
        if (n >= count)
            return true;
        if (std::chrono::steady_clock::now() >= until)
            return false;
        std::unique_lock lock(m_lock);
        m_changed.wait_for(lock, std::chrono::milliseconds(10));
    }
}

}  // namespace qx::testbroker
