#include "platform/wayland/SwayIpc.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace platform::wayland {
namespace {

constexpr char kMagic[] = {'i', '3', '-', 'i', 'p', 'c'};
constexpr std::size_t kHeaderSize = sizeof kMagic + 2 * sizeof(std::uint32_t);
constexpr std::uint32_t kEventBit = 0x80000000u;

bool sendAll(int fd, const std::string& bytes)
{
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        sent += static_cast<std::size_t>(n);
    }
    return true;
}

} // namespace

SwayIpc::SwayIpc(const std::string& socketPath)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (socketPath.empty() || socketPath.size() >= sizeof address.sun_path)
        return;
    std::memcpy(address.sun_path, socketPath.c_str(), socketPath.size() + 1);
    m_fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (m_fd >= 0 && connect(m_fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0)
        disconnect();
}

SwayIpc::~SwayIpc()
{
    disconnect();
}

std::optional<std::string> SwayIpc::request(std::uint32_t type, const std::string& payload, int timeoutMs,
                                            LateHandler late)
{
    if (!isConnected())
        return std::nullopt;
    std::string message(kMagic, sizeof kMagic);
    const auto length = static_cast<std::uint32_t>(payload.size());
    message.append(reinterpret_cast<const char*>(&length), sizeof length);
    message.append(reinterpret_cast<const char*>(&type), sizeof type);
    message += payload;
    if (!sendAll(m_fd, message)) {
        disconnect();
        return std::nullopt;
    }
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        while (std::optional<Message> received = nextMessage()) {
            if ((received->type & kEventBit) != 0)
                m_events.push_back(std::move(*received));
            else if (!settleOwed(*received) && received->type == type)
                return std::move(received->payload);
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (!isConnected())
            return std::nullopt;
        if (left <= 0) {
            m_owed.emplace_back(type, std::move(late));
            return std::nullopt;
        }
        receive(static_cast<int>(left));
    }
}

std::vector<SwayIpc::Message> SwayIpc::takeEvents()
{
    if (isConnected())
        receive(0);
    while (std::optional<Message> received = nextMessage())
        if ((received->type & kEventBit) != 0 || !settleOwed(*received))
            m_events.push_back(std::move(*received));
    std::vector<Message> events(std::make_move_iterator(m_events.begin()), std::make_move_iterator(m_events.end()));
    m_events.clear();
    return events;
}

bool SwayIpc::receive(int timeoutMs)
{
    pollfd entry{m_fd, POLLIN, 0};
    int ready;
    do
        ready = poll(&entry, 1, timeoutMs);
    while (ready < 0 && errno == EINTR);
    if (ready <= 0)
        return false;
    char buffer[4096];
    for (;;) {
        const ssize_t n = recv(m_fd, buffer, sizeof buffer, MSG_DONTWAIT);
        if (n > 0) {
            m_received.append(buffer, static_cast<std::size_t>(n));
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK)) {
            disconnect(); // sway has gone; what came before it still counts
            return false;
        }
        return true;
    }
}

std::optional<SwayIpc::Message> SwayIpc::nextMessage()
{
    if (m_received.size() < kHeaderSize)
        return std::nullopt;
    if (m_received.compare(0, sizeof kMagic, kMagic, sizeof kMagic) != 0) {
        disconnect(); // not sway's framing: nothing after this can be trusted
        m_received.clear();
        return std::nullopt;
    }
    std::uint32_t length = 0;
    Message message;
    std::memcpy(&length, m_received.data() + sizeof kMagic, sizeof length);
    std::memcpy(&message.type, m_received.data() + sizeof kMagic + sizeof length, sizeof message.type);
    if (length > kLongestPayload) {
        disconnect();
        m_received.clear();
        return std::nullopt;
    }
    if (m_received.size() < kHeaderSize + length)
        return std::nullopt;
    message.payload = m_received.substr(kHeaderSize, length);
    m_received.erase(0, kHeaderSize + length);
    return message;
}

bool SwayIpc::settleOwed(Message& reply)
{
    if (m_owed.empty())
        return false;
    // Replies come in the order of their requests.
    LateHandler late = std::move(m_owed.front().second);
    m_owed.pop_front();
    if (late)
        late(reply.payload);
    return true;
}

void SwayIpc::disconnect()
{
    m_owed.clear();
    if (m_fd >= 0)
        close(m_fd);
    m_fd = -1;
}

} // namespace platform::wayland
