// Sway's IPC against a stand-in sway on a socket of its own, since the real
// one cannot be made to answer late or to lie about a length.
#include "platform/wayland/SwayHotKeys.h"
#include "platform/wayland/SwayIpc.h"
#include "support/TestEnvironment.h"

#include <QTemporaryDir>
#include <QtTest>

#include <cstring>
#include <functional>
#include <memory>
#include <sys/socket.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

using namespace platform::wayland;

namespace {

constexpr std::uint32_t kF5 = 0x74, kF6 = 0x75;

// One message off a connection: its type and payload (type ~0 once closed).
std::pair<std::uint32_t, std::string> readMessage(int fd)
{
    char header[14];
    std::uint32_t length = 0, type = ~0u;
    if (recv(fd, header, sizeof header, MSG_WAITALL) != sizeof header)
        return {~0u, {}};
    std::memcpy(&length, header + 6, 4);
    std::memcpy(&type, header + 10, 4);
    std::string payload(length, '\0');
    recv(fd, payload.data(), length, MSG_WAITALL);
    return {type, payload};
}

std::string frame(std::uint32_t type, const std::string& payload, std::uint32_t stated)
{
    std::string bytes = "i3-ipc";
    bytes.append(reinterpret_cast<char*>(&stated), 4).append(reinterpret_cast<char*>(&type), 4);
    return bytes + payload;
}

// A stand-in sway that plays `script` on its first two connections (the
// commands', then the events') in a thread of its own.
class StandInSway {
public:
    explicit StandInSway(std::function<void(int commands, int events)> script)
    {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strcpy(address.sun_path, path().c_str());
        m_listener = socket(AF_UNIX, SOCK_STREAM, 0);
        bind(m_listener, reinterpret_cast<sockaddr*>(&address), sizeof address);
        listen(m_listener, 2);
        m_thread = std::thread([this, script] {
            const int commands = accept(m_listener, nullptr, nullptr);
            const int events = accept(m_listener, nullptr, nullptr);
            script(commands, events);
            close(commands);
            close(events);
        });
    }
    ~StandInSway()
    {
        shutdown(m_listener, SHUT_RDWR); // a script still waiting to accept
        m_thread.join();
        close(m_listener);
    }
    std::string path() const { return m_dir.filePath("sway.sock").toStdString(); }

private:
    QTemporaryDir m_dir;
    int m_listener = -1;
    std::thread m_thread;
};

} // namespace

class SwayIpcTest : public QObject {
    Q_OBJECT
private slots:
    void aLateReplyIsTheTimedOutRequests();
    void aHugeLengthDropsTheConnection();
};

void SwayIpcTest::aLateReplyIsTheTimedOutRequests()
{
    const std::string ok = "[{\"success\": true}]";
    std::vector<std::string> commands;
    auto sway = std::make_unique<StandInSway>([&](int commandFd, int eventFd) {
        readMessage(eventFd); // subscribe
        const std::string subscribed = frame(2, "{\"success\": true}", 17);
        send(eventFd, subscribed.data(), subscribed.size(), 0);
        // F5's reply is held back until after F6 has come: it comes late.
        for (auto message = readMessage(commandFd); message.first == 0; message = readMessage(commandFd)) {
            commands.push_back(message.second);
            const std::string reply =
                message.second.find("F6") != std::string::npos ? "[{\"success\": false, \"error\": \"refused\"}]" : ok;
            if (commands.size() == 1)
                continue;
            const std::string bytes = (commands.size() == 2 ? frame(0, ok, ok.size()) : std::string()) +
                                      frame(0, reply, static_cast<std::uint32_t>(reply.size()));
            send(commandFd, bytes.data(), bytes.size(), 0);
        }
    });
    {
        SwayHotKeys keys(sway->path(), 300);
        QVERIFY(!keys.registerHotKey(1, 0, kF5)); // its reply comes after the timeout
        // The next command reads its own reply (a refusal), not F5's late one.
        const platform::Result f6 = keys.registerHotKey(2, 0, kF6);
        QVERIFY(!f6);
        QVERIFY2(f6.message.find("refused") != std::string::npos, f6.message.c_str());
        // Sway did bind F5 late: that binding is recorded, and so removed.
        QVERIFY(keys.unregisterHotKey(1));
    }
    sway.reset(); // its script has ended with the connection
    QCOMPARE(commands.size(), size_t(3));
    QCOMPARE(commands.back(), std::string("unbindsym F5"));
}

void SwayIpcTest::aHugeLengthDropsTheConnection()
{
    StandInSway sway([](int commandFd, int) {
        readMessage(commandFd);
        const std::string huge = frame(0, "[]", 0xFFFFFFF0u);
        send(commandFd, huge.data(), huge.size(), 0);
        readMessage(commandFd); // until the program hangs up
    });
    SwayIpc ipc(sway.path());
    SwayIpc other(sway.path()); // the stand-in's second connection
    QVERIFY(ipc.isConnected());
    QVERIFY(!ipc.request(SwayIpc::kRunCommand, "nop", 1000));
    QVERIFY(!ipc.isConnected()); // at the header, not by waiting for its bytes
}

QUORVEL_TEST_MAIN_CORE(SwayIpcTest)
#include "tst_swayipc.moc"
