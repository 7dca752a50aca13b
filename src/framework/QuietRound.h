// Calls back once the thread's event loop has nothing else to deliver: the
// place a window's timer message has among a thread's messages, where it
// comes only when no other message is waiting.
//
// A request posts a probe event of the lowest priority and watches, through
// an application event filter, every other event the thread delivers. The
// probe comes back after the events already posted; when anything else was
// delivered since the probe before it (a socket that became readable, a
// message posted by one, the events that posted message makes) it goes round
// once more. So a stop that reached the program before the timer's deadline
// passed, even one that takes a few rounds of the loop to become a message
// (a connection accepted, then read), is handled before the call back.
#pragma once

#include <QObject>

#include <functional>

class QuietRound final : public QObject {
    Q_OBJECT
public:
    // The most rounds a request waits for quiet; then it calls back anyway,
    // so that a thread that is never quiet still gets its call backs.
    static constexpr int kMostRounds = 16;

    explicit QuietRound(std::function<void()> callback, QObject* parent = nullptr);
    ~QuietRound() override;

    // Asks for one call back; asking again while one waits changes nothing.
    void request();
    // Forgets a waiting request.
    void cancel();
    bool isWaiting() const { return m_waiting; }

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void watch(bool on);

    std::function<void()> m_callback;
    bool m_waiting = false;
    bool m_probePosted = false;
    bool m_watching = false;
    bool m_busy = false; // something else was delivered since the last probe
    int m_rounds = 0;
};
