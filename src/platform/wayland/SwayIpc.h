// One connection to sway's IPC socket (SWAYSOCK). A message is framed as in
// i3: the magic "i3-ipc", the payload's length and the message type (both
// 32-bit, in the machine's byte order), then the payload, JSON. Replies
// carry the type of their request; events have the type's high bit set.
//
// Sway answers the requests of one connection in order. A request whose
// reply did not come in time stays owed: its reply, when it comes, is handed
// to the request's late handler, and the next request reads its own reply
// after it, so the connection never gets out of step.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace platform::wayland {

class SwayIpc {
public:
    static constexpr std::uint32_t kRunCommand = 0;
    static constexpr std::uint32_t kSubscribe = 2;
    static constexpr std::uint32_t kBindingEvent = 0x80000005u;

    // The longest payload taken. Ours are a few hundred bytes; a length
    // beyond this is not sway speaking, and the connection is dropped at
    // the header rather than waiting for (and keeping) that many bytes.
    static constexpr std::uint32_t kLongestPayload = 1u << 20;

    struct Message {
        std::uint32_t type = 0;
        std::string payload;
    };
    using LateHandler = std::function<void(const std::string& payload)>;

    // Connects; isConnected() tells whether it worked.
    explicit SwayIpc(const std::string& socketPath);
    ~SwayIpc();
    SwayIpc(const SwayIpc&) = delete;
    SwayIpc& operator=(const SwayIpc&) = delete;

    bool isConnected() const { return m_fd >= 0; }
    int fd() const { return m_fd; }

    // Sends a message and waits at most `timeoutMs` for its reply, whose
    // payload it returns. Events that come first are kept for takeEvents().
    // Without a reply in time it returns nothing, and `late` (if any) gets
    // the reply when a later call reads it.
    std::optional<std::string> request(std::uint32_t type, const std::string& payload, int timeoutMs,
                                       LateHandler late = nullptr);
    // Reads what the socket holds without waiting; the events received so
    // far. A closed connection is no longer isConnected().
    std::vector<Message> takeEvents();
    // Part of a message has come and the rest not yet.
    bool midMessage() const { return !m_received.empty(); }

private:
    // Reads what has come, waiting at most `timeoutMs` for something.
    bool receive(int timeoutMs);
    std::optional<Message> nextMessage();
    // Hands a reply to the oldest owed request; false when none is owed.
    bool settleOwed(Message& reply);
    void disconnect();

    int m_fd = -1;
    std::string m_received;
    std::deque<Message> m_events;
    // Requests that timed out, oldest first: their type and late handler.
    std::deque<std::pair<std::uint32_t, LateHandler>> m_owed;
};

} // namespace platform::wayland
