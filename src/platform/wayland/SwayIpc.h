// One connection to sway's IPC socket (SWAYSOCK). A message is framed as in
// i3: the magic "i3-ipc", the payload's length and the message type (both
// 32-bit, in the machine's byte order), then the payload, JSON. Replies
// carry the type of their request; events have the type's high bit set.
#pragma once

#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <vector>

namespace platform::wayland {

class SwayIpc {
public:
    static constexpr std::uint32_t kRunCommand = 0;
    static constexpr std::uint32_t kSubscribe = 2;
    static constexpr std::uint32_t kBindingEvent = 0x80000005u;

    struct Message {
        std::uint32_t type = 0;
        std::string payload;
    };

    // Connects; isConnected() tells whether it worked.
    explicit SwayIpc(const std::string& socketPath);
    ~SwayIpc();
    SwayIpc(const SwayIpc&) = delete;
    SwayIpc& operator=(const SwayIpc&) = delete;

    bool isConnected() const { return m_fd >= 0; }
    int fd() const { return m_fd; }

    // Sends a message and waits at most `timeoutMs` for its reply, whose
    // payload it returns. Events that come first are kept for takeEvents().
    std::optional<std::string> request(std::uint32_t type, const std::string& payload, int timeoutMs);
    // Reads what the socket holds without waiting; the events received so
    // far. A closed connection is no longer isConnected().
    std::vector<Message> takeEvents();

private:
    // Reads what has come, waiting at most `timeoutMs` for something.
    bool receive(int timeoutMs);
    std::optional<Message> nextMessage();
    void disconnect();

    int m_fd = -1;
    std::string m_received;
    std::deque<Message> m_events;
};

} // namespace platform::wayland
