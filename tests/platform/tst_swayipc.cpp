// Sway's IPC against a stand-in sway on a socket of its own, since the real
// one cannot be made to answer late or to lie about a length.
#include "platform/wayland/SwayHotKeys.h"
#include "platform/wayland/SwayIpc.h"
#include "support/TestEnvironment.h"

#include <QTemporaryDir>
#include <QtTest>

#include <atomic>
#include <cstring>
#include <mutex>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

using namespace platform::wayland;

namespace {

constexpr std::uint32_t kF5 = 0x74, kF6 = 0x75;

// Answers every request at once, except the first command's reply, which it
// holds until the next command comes. Refuses commands about F6. With
// `hugeReply`, every reply states a length of 0xFFFFFFF0 bytes.
class StandInSway {
public:
    explicit StandInSway(bool hugeReply = false) : m_huge(hugeReply)
    {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strcpy(address.sun_path, path().c_str());
        m_listener = socket(AF_UNIX, SOCK_STREAM, 0);
        bind(m_listener, reinterpret_cast<sockaddr*>(&address), sizeof address);
        listen(m_listener, 4);
        m_thread = std::thread([this] { serve(); });
    }
    ~StandInSway()
    {
        m_stop = true;
        m_thread.join();
        close(m_listener);
    }
    std::string path() const { return m_dir.filePath("sway.sock").toStdString(); }
    std::vector<std::string> commands()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_commands;
    }

private:
    void serve()
    {
        std::vector<pollfd> fds{{m_listener, POLLIN, 0}};
        std::vector<std::string> buffers(1);
        std::string held;
        while (!m_stop) {
            if (poll(fds.data(), fds.size(), 20) <= 0)
                continue;
            if (fds[0].revents & POLLIN) {
                fds.push_back({accept(m_listener, nullptr, nullptr), POLLIN, 0});
                buffers.emplace_back();
            }
            for (std::size_t i = 1; i < fds.size(); ++i) {
                char chunk[512];
                const ssize_t n = (fds[i].revents & POLLIN) ? recv(fds[i].fd, chunk, sizeof chunk, MSG_DONTWAIT) : 0;
                if (n > 0)
                    buffers[i].append(chunk, static_cast<std::size_t>(n));
                while (buffers[i].size() >= 14) {
                    std::uint32_t length = 0, type = 0;
                    std::memcpy(&length, buffers[i].data() + 6, 4);
                    std::memcpy(&type, buffers[i].data() + 10, 4);
                    if (buffers[i].size() < 14 + length)
                        break;
                    const std::string payload = buffers[i].substr(14, length);
                    buffers[i].erase(0, 14 + length);
                    std::string reply = type == SwayIpc::kSubscribe ? "{\"success\": true}"
                                        : payload.find("F6") != std::string::npos
                                            ? "[{\"success\": false, \"error\": \"refused\"}]"
                                            : "[{\"success\": true}]";
                    std::uint32_t stated = m_huge ? 0xFFFFFFF0u : static_cast<std::uint32_t>(reply.size());
                    std::string frame = "i3-ipc";
                    frame.append(reinterpret_cast<char*>(&stated), 4).append(reinterpret_cast<char*>(&type), 4);
                    frame += reply;
                    if (type == SwayIpc::kRunCommand) {
                        std::lock_guard<std::mutex> lock(m_mutex);
                        m_commands.push_back(payload);
                        if (m_commands.size() == 1) {
                            held = frame;
                            continue;
                        }
                    }
                    frame = std::exchange(held, std::string()) + frame;
                    send(fds[i].fd, frame.data(), frame.size(), MSG_NOSIGNAL);
                }
            }
        }
        for (std::size_t i = 1; i < fds.size(); ++i)
            close(fds[i].fd);
    }

    QTemporaryDir m_dir;
    bool m_huge;
    int m_listener = -1;
    std::atomic<bool> m_stop{false};
    std::mutex m_mutex;
    std::vector<std::string> m_commands;
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
    StandInSway sway;
    {
        SwayHotKeys keys(sway.path(), 300);
        QVERIFY(!keys.registerHotKey(1, 0, kF5)); // its reply comes after the timeout
        // The next command reads its own reply (a refusal), not F5's late one.
        const platform::Result f6 = keys.registerHotKey(2, 0, kF6);
        QVERIFY(!f6);
        QVERIFY2(f6.message.find("refused") != std::string::npos, f6.message.c_str());
        // Sway did bind F5 late: that binding is recorded, and so removed.
        QVERIFY(keys.unregisterHotKey(1));
        QCOMPARE(sway.commands().back(), std::string("unbindsym F5"));
    }
    QCOMPARE(sway.commands().size(), size_t(3));
}

void SwayIpcTest::aHugeLengthDropsTheConnection()
{
    StandInSway sway(true);
    SwayIpc ipc(sway.path());
    QVERIFY(ipc.isConnected());
    QVERIFY(!ipc.request(SwayIpc::kSubscribe, "[\"binding\"]", 1000));
    QVERIFY(!ipc.isConnected()); // at the header, not by waiting for its bytes
}

QUORVEL_TEST_MAIN_CORE(SwayIpcTest)
#include "tst_swayipc.moc"
