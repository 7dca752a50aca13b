// System-wide hot keys on sway, which gives clients no key grabs but binds
// keys to commands over its IPC. Each hot key is bound as
// `bindsym --no-repeat <combination> nop <name>`, the name unique to this
// process and hot key; sway reports every binding it runs as a "binding"
// event, and the one with our name is the press. Bindings are removed with
// `unbindsym` when a hot key is unregistered and when the object goes.
//
// Two connections: one for commands and their replies, one subscribed to
// the binding events, read on the Qt event loop (listening starts with the
// first registration after the QCoreApplication exists).
#pragma once

#include "platform/Platform.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/wayland/SwayIpc.h"

#include <QTimer>

class QSocketNotifier;

namespace platform::wayland {

class SwayHotKeys final : public HotKeys {
public:
    static constexpr int kReplyTimeoutMs = 2000;

    explicit SwayHotKeys(std::string socketPath, int replyTimeoutMs = kReplyTimeoutMs);
    ~SwayHotKeys() override;
    SwayHotKeys(const SwayHotKeys&) = delete;
    SwayHotKeys& operator=(const SwayHotKeys&) = delete;

    // A combination held by another identifier of ours fails with
    // kErrorHotKeyAlreadyRegistered (1409), one sway refuses or a key with
    // no name there with 87 (ERROR_INVALID_PARAMETER), no IPC with 50.
    Result registerHotKey(int id, std::uint32_t modifiers, std::uint32_t virtualKey) override;
    // Fails with 1419 (ERROR_HOTKEY_NOT_REGISTERED) when `id` holds nothing.
    Result unregisterHotKey(int id) override;
    void setPressHandler(PressHandler handler) override { m_handler = std::move(handler); }

    // The command a press of `id` makes sway run.
    std::string bindingCommand(int id) const;

private:
    struct Registration {
        std::uint32_t modifiers = 0;
        std::uint32_t virtualKey = 0;
        std::string combination;
    };

    bool subscribe();
    Result runCommand(const std::string& command, SwayIpc::LateHandler late = nullptr);
    // What sway did with a binding whose reply came after its timeout.
    void settleLateBinding(int id, const Registration& registration, const std::string& reply);
    void unbindStrays();
    void readEvents();
    void checkFrameDeadline();

    std::string m_socketPath;
    int m_replyTimeoutMs;
    std::unique_ptr<SwayIpc> m_commands;
    std::unique_ptr<SwayIpc> m_events;
    std::unique_ptr<QSocketNotifier> m_notifier;
    // An event that has begun must end within the reply timeout; else the
    // events connection is made again.
    QTimer m_frameDeadline;
    std::map<int, Registration> m_registrations;
    // Combinations sway bound late for nobody of ours: unbound at the next call.
    std::vector<std::string> m_strays;
    PressHandler m_handler;
};

} // namespace platform::wayland
