// How precisely the real program keeps its delays, as a user sees it, and
// against xdotool in the same run. On a private Xvfb:
//
// - quorvel plays a sequence file unattended (quorvel FILE): as many distinct
//   rows as clicks, spread over the click recorder's area, one of them a
//   double click, all with the same delay. No notification area is running,
//   so the main window is on screen and its list follows the playing row.
// - xdotool plays `click --repeat N --delay D` at one spot.
// - The click recorder (tests/e2e/tools/xclickrecorder) runs with real-time
//   priority where the system allows it and times every button press on
//   its own monotonic clock, in microseconds. So does the X server, which
//   the clicks pass through on their way to the recorder. The players run
//   as users run them.
//
// For delays of 0, 1, 10 and 100 ms it prints the error of each interval
// between two presses (actual - intended; the intended interval is the
// delay, or the double-click pause inside a double click): median, p99,
// maximum and minimum, the clicks per second, the ratios to xdotool, and
// the CPU time each player used per click, quorvel with its window focused
// and the caret blinking in its X field. The table is made N times (rounds).
//
// Then:
// - a busy window: 100 rows 20 ms apart while the bench resizes the
//   program's window every 4 ms for the whole run, against the same file
//   with the window left alone (3 runs each; p90 and maximum error);
// - the stop's latency: an endless unattended run is stopped with the
//   command `quorvel --toggle` sends, written on the control socket, 1 s
//   into a 3 s double click's pause and 1 s into a 3 s row delay, 20 times
//   each; from the command to the answer, and to the end of the run (the
//   player's thread, "quorvel-player", gone from the process);
// - the CPU time each player uses between two clicks 1 s apart, and in the
//   part of that second when it only waits.
//
// It measures the X11 path. The desktop portal's path (GNOME, KDE) waits
// inside each click, 25 ms after the motion and 30 ms between press and
// release (PortalMouse::sendButton): there a click takes at least 55 ms
// before its row's delay starts, which this benchmark does not show.
//
// Usage: quorvel_bench_click_timing [--rounds N] [--scale F] [--tries N]   (needs Xvfb, xdotool)
#include "app/ControlAccess.h"
#include "files/SequenceCodec.h"
#include "support/BoundedProcess.h"
#include "support/ClickRecorder.h"
#include "support/XvfbServer.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLocalSocket>
#include <QTemporaryDir>
#include <QThread>

#include <X11/Xlib.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <optional>
#include <sched.h>
#include <sys/syscall.h>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace quorvel::test;

namespace {

// The screen, and the strip below the centred main window where the clicks go.
const QSize kScreen(1920, 1200);
const QRect kArea(0, 920, 1920, 280);
constexpr int kDoubleClickPauseMs = 10; // DoubleClickDelay's default
constexpr int kFirstDelayMs = 500;      // lets the window come up before the first click

struct Run {
    std::vector<double> arrivalsMs; // presses, on the recorder's clock
    std::vector<double> intendedMs; // intended interval before each press (from the second on)
    double cpuMs = -1;              // CPU time of the player between its first and last press
};

struct Figures {
    int clicks = 0;
    double rate = 0, median = 0, p90 = 0, p99 = 0, max = 0, min = 0, cpuPerClickUs = 0;
};

const QString kWindowName = QStringLiteral("^Quorvel Software Utility");

// CPU time used so far by process `pid`, in ms.
std::optional<double> cpuTimeMs(qint64 pid)
{
    clockid_t clock;
    timespec t{};
    if (clock_getcpuclockid(static_cast<pid_t>(pid), &clock) != 0 || clock_gettime(clock, &t) != 0)
        return std::nullopt;
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

ClickRecorder::Options recorderOptions()
{
    ClickRecorder::Options options;
    options.area = kArea;
    options.realtime = true;
    return options;
}

// Reads `presses` button presses of the player `pid`, sampling its CPU time
// at the first and the last.
Run record(ClickRecorder& recorder, qint64 pid, int presses, int timeoutMs)
{
    Run run;
    std::optional<double> cpuFirst, cpuLast;
    const QDeadlineTimer deadline(timeoutMs);
    while (static_cast<int>(run.arrivalsMs.size()) < presses) {
        const std::optional<RecordedEvent> e = recorder.next(static_cast<int>(deadline.remainingTime()));
        if (!e)
            break;
        if (e->kind != RecordedEvent::Kind::Press)
            continue;
        run.arrivalsMs.push_back(static_cast<double>(e->arrivalUs) / 1000.0);
        if (run.arrivalsMs.size() == 1)
            cpuFirst = cpuTimeMs(pid);
        else if (static_cast<int>(run.arrivalsMs.size()) == presses)
            cpuLast = cpuTimeMs(pid);
    }
    if (cpuFirst && cpuLast)
        run.cpuMs = *cpuLast - *cpuFirst;
    return run;
}

Figures measure(const Run& run)
{
    Figures f;
    f.clicks = static_cast<int>(run.arrivalsMs.size());
    if (f.clicks < 2 || run.intendedMs.size() < run.arrivalsMs.size())
        return f;
    std::vector<double> errors;
    for (size_t i = 1; i < run.arrivalsMs.size(); ++i)
        errors.push_back(run.arrivalsMs[i] - run.arrivalsMs[i - 1] - run.intendedMs[i]);
    std::sort(errors.begin(), errors.end());
    const double span = run.arrivalsMs.back() - run.arrivalsMs.front();
    f.rate = span > 0 ? 1000.0 * (f.clicks - 1) / span : 0;
    f.median = errors[errors.size() / 2];
    // Nearest rank: the smallest error that 90 % (99 %) of the intervals do
    // not exceed.
    const auto rank = [&errors](double share) {
        return errors[static_cast<size_t>(std::ceil(share * static_cast<double>(errors.size()))) - 1];
    };
    f.p90 = rank(0.90);
    f.p99 = rank(0.99);
    f.max = errors.back();
    f.min = errors.front();
    f.cpuPerClickUs = run.cpuMs >= 0 ? 1000.0 * run.cpuMs / (f.clicks - 1) : -1;
    return f;
}

// A click of row k: distinct positions over the whole area.
CClickEntry rowEntry(int k, std::uint32_t delay)
{
    CClickEntry e;
    e.m_x = static_cast<std::uint32_t>(kArea.x() + 10 + (k * 37) % (kArea.width() - 20));
    e.m_y = static_cast<std::uint32_t>(kArea.y() + 10 + (k * 13) % (kArea.height() - 20));
    e.m_delay = delay;
    e.m_serial = static_cast<std::uint16_t>(k + 1);
    return e;
}

bool writeFile(const QString& path, const std::vector<CClickEntry>& entries)
{
    const std::vector<std::uint8_t> bytes = files::encodeSequence(1, entries);
    QFile file(path);
    return file.open(QIODevice::WriteOnly) &&
           file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size())) ==
               static_cast<qint64>(bytes.size());
}

QString programPath()
{
    return qEnvironmentVariable("QUORVEL_BUILD_DIR") + QStringLiteral("/quorvel");
}

// The program's main window, once it is shown; 0 when it does not come.
unsigned long findWindow()
{
    const ProcessOutput found =
        runBounded(QStringLiteral("xdotool"), {"search", "--sync", "--onlyvisible", "--name", kWindowName}, 5000);
    return found.succeeded() ? found.standardOutput.split('\n').front().trimmed().toULong() : 0;
}

// Plays `entries` unattended and records its presses. The window is given
// the focus, so that the caret blinks in its X field, as when a user
// watches it; `whilePlaying` runs with the window's id from then until the
// last press.
Run runQuorvel(const QString& path, const std::vector<CClickEntry>& entries, bool* windowShown = nullptr,
               const std::function<void(unsigned long window, const std::atomic<bool>& done)>& whilePlaying = {})
{
    Run run;
    if (!writeFile(path, entries))
        return run;
    ClickRecorder recorder;
    if (!recorder.start(recorderOptions()))
        return run;
    BoundedProcess program;
    program.discardStandardOutput();
    if (!program.start(programPath(), {path}))
        return run;
    const unsigned long window = findWindow();
    if (windowShown)
        *windowShown = window != 0;
    if (window)
        runBounded(QStringLiteral("xdotool"), {"windowfocus", "--sync", QString::number(window)}, 3000);
    std::atomic<bool> done{false};
    std::thread busy;
    if (whilePlaying && window)
        busy = std::thread([&] { whilePlaying(window, done); });
    int presses = 0;
    std::uint64_t totalMs = 0;
    for (const CClickEntry& e : entries) {
        presses += e.m_clickType == DoubleLeftClick ? 2 : 1;
        totalMs += e.m_delay + 20;
    }
    run = record(recorder, program.pid(), presses, static_cast<int>(20000 + totalMs));
    done = true;
    if (busy.joinable())
        busy.join();
    for (const CClickEntry& e : entries) {
        run.intendedMs.push_back(e.m_delay);
        if (e.m_clickType == DoubleLeftClick)
            run.intendedMs.push_back(kDoubleClickPauseMs);
    }
    program.waitForExit(10000);
    return run;
}

// xdotool clicking `count` times, `delay` ms apart, in the middle of the area.
bool startXdotool(BoundedProcess& xdotool, int delay, int count)
{
    xdotool.discardStandardOutput();
    const QPoint spot = kArea.center();
    return xdotool.start(QStringLiteral("xdotool"),
                         {"mousemove", "--sync", QString::number(spot.x()), QString::number(spot.y()), "click",
                          "--repeat", QString::number(count), "--delay", QString::number(delay), "1"});
}

Run runXdotool(int delay, int count)
{
    ClickRecorder recorder;
    BoundedProcess xdotool;
    if (!recorder.start(recorderOptions()) || !startXdotool(xdotool, delay, count))
        return {};
    Run run = record(recorder, xdotool.pid(), count, 20000 + count * (delay + 20));
    run.intendedMs.assign(static_cast<size_t>(count), delay);
    xdotool.waitForExit(10000);
    return run;
}

void printRow(const char* who, int delay, const Figures& f, const Figures* reference)
{
    std::printf("%-8s %5d %6d %8.0f %8.3f %8.3f %8.3f %8.3f", who, delay, f.clicks, f.rate, f.median, f.p99, f.max,
                f.min);
    if (reference && reference->p99 > 0 && reference->rate > 0)
        std::printf(" %8.2f %8.2f", f.p99 / reference->p99, f.rate / reference->rate);
    else
        std::printf(" %8s %8s", "", "");
    std::printf(" %9.1f\n", f.cpuPerClickUs);
}

void timingTable(const QString& folder, double scale)
{
    std::printf("interval error = actual - intended interval between presses, ms (recorder's monotonic clock, us)\n");
    std::printf("p99 ratio and rate ratio: quorvel / xdotool; cpu: CPU time of the player per click\n");
    std::printf("%-8s %5s %6s %8s %8s %8s %8s %8s %8s %8s %9s\n", "player", "delay", "clicks", "clicks/s", "median",
                "p99", "max", "min", "p99 rat", "rate rat", "cpu us");
    for (int delay : {0, 1, 10, 100}) {
        const int base = delay == 0 ? 2000 : delay == 1 ? 1000 : delay == 10 ? 500 : 200;
        const int rows = std::max(10, static_cast<int>(base * scale));
        std::vector<CClickEntry> entries;
        for (int k = 0; k < rows; ++k)
            entries.push_back(rowEntry(k, static_cast<std::uint32_t>(k == 0 ? kFirstDelayMs : delay)));
        entries[static_cast<size_t>(rows / 2)].m_clickType = DoubleLeftClick;
        const Figures quorvel = measure(runQuorvel(folder + QStringLiteral("/timing-%1.tpx").arg(delay), entries));
        const Figures xdotool = measure(runXdotool(delay, rows + 1));
        printRow("quorvel", delay, quorvel, &xdotool);
        printRow("xdotool", delay, xdotool, nullptr);
    }
}

// Resizes `window` every 4 ms, between two sizes, until `done`.
void resizeEvery4Ms(unsigned long window, const std::atomic<bool>& done)
{
    Display* display = XOpenDisplay(nullptr);
    if (!display)
        return;
    XWindowAttributes attributes{};
    XGetWindowAttributes(display, window, &attributes);
    const unsigned width = static_cast<unsigned>(attributes.width);
    const unsigned height = static_cast<unsigned>(attributes.height);
    auto next = std::chrono::steady_clock::now();
    for (bool wide = true; !done; wide = !wide) {
        XResizeWindow(display, window, wide ? width + 80 : width, wide ? height + 40 : height);
        XFlush(display);
        next += std::chrono::milliseconds(4);
        std::this_thread::sleep_until(next);
    }
    XResizeWindow(display, window, width, height);
    XCloseDisplay(display);
}

void busyWindow(const QString& folder)
{
    std::printf("\nA busy window: 100 rows 20 ms apart, the window resized every 4 ms (interval error, ms)\n");
    std::printf("%-16s %3s %6s %8s %8s %8s\n", "window", "run", "clicks", "median", "p90", "max");
    std::vector<CClickEntry> entries;
    for (int k = 0; k < 100; ++k)
        entries.push_back(rowEntry(k, static_cast<std::uint32_t>(k == 0 ? kFirstDelayMs : 20)));
    const QString path = folder + QStringLiteral("/busy.tpx");
    for (int run = 1; run <= 3; ++run) {
        for (const bool resized : {true, false}) {
            const Figures f = measure(
                runQuorvel(path, entries, nullptr,
                           resized ? resizeEvery4Ms : std::function<void(unsigned long, const std::atomic<bool>&)>()));
            std::printf("%-16s %3d %6d %8.3f %8.3f %8.3f\n", resized ? "resized / 4 ms" : "left alone", run, f.clicks,
                        f.median, f.p90, f.max);
        }
    }
}

// The player's thread of `pid`, by its name; 0 when there is none.
pid_t playerThread(qint64 pid)
{
    const QString tasks = QStringLiteral("/proc/%1/task").arg(pid);
    for (const QString& tid : QDir(tasks).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile comm(tasks + QLatin1Char('/') + tid + QStringLiteral("/comm"));
        if (comm.open(QIODevice::ReadOnly) && comm.readAll().trimmed() == "quorvel-player")
            return static_cast<pid_t>(tid.toInt());
    }
    return 0;
}

struct StopTry {
    double answeredMs = -1; // the command written to its answer
    double endedMs = -1;    // the command written to the player's thread gone
};

// An endless unattended run of `entries`, stopped 1 s after its first press.
StopTry stopOnce(const QString& path, const std::vector<CClickEntry>& entries)
{
    StopTry result;
    if (!writeFile(path, entries))
        return result;
    ClickRecorder recorder;
    BoundedProcess program;
    program.discardStandardOutput();
    if (!recorder.start(recorderOptions()) || !program.start(programPath(), {path}))
        return result;
    for (;;) {
        const std::optional<RecordedEvent> e = recorder.next(10000);
        if (!e)
            return result;
        if (e->kind == RecordedEvent::Kind::Press)
            break;
    }
    QThread::msleep(1000);
    const pid_t pid = static_cast<pid_t>(program.pid());
    const pid_t player = playerThread(pid);
    QString problem;
    QLocalSocket control;
    control.connectToServer(control::SocketPath(problem));
    if (!player || !control.waitForConnected(2000))
        return result;
    QElapsedTimer clock;
    clock.start();
    control.write("toggle\n");
    control.flush();
    // The thread's end is seen by asking the kernel whether it is still
    // there, every 20 us; the answer is read between two looks.
    const std::int64_t limitNs = 5'000'000'000;
    while (clock.nsecsElapsed() < limitNs) {
        if (result.answeredMs < 0 && control.waitForReadyRead(0) && control.readAll().contains("ok"))
            result.answeredMs = static_cast<double>(clock.nsecsElapsed()) / 1e6;
        if (syscall(SYS_tgkill, pid, player, 0) != 0 && errno == ESRCH) {
            result.endedMs = static_cast<double>(clock.nsecsElapsed()) / 1e6;
            break;
        }
        std::this_thread::sleep_for(std::chrono::microseconds(20));
    }
    while (result.answeredMs < 0 && clock.nsecsElapsed() < limitNs && control.waitForReadyRead(100))
        if (control.readAll().contains("ok"))
            result.answeredMs = static_cast<double>(clock.nsecsElapsed()) / 1e6;
    program.waitForExit(10000);
    return result;
}

bool writeSettings(const QString& body)
{
    const QString dir = qEnvironmentVariable("XDG_CONFIG_HOME") + QStringLiteral("/Corvane");
    QDir().mkpath(dir);
    QFile file(dir + QStringLiteral("/Quorvel.conf"));
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(body.toUtf8()) > 0;
}

void stopLatency(const QString& folder, int tries)
{
    std::printf("\nStop latency: the toggle command written 1 s into a 3 s wait of an endless run (ms, %d tries)\n",
                tries);
    std::printf("%-22s %14s %14s %14s %16s %16s %6s\n", "wait", "ended: median", "ended: p90", "ended: max",
                "answer: median", "answer: max", "runs");
    struct Case {
        const char* name;
        std::vector<CClickEntry> entries;
        QString settings;
    };
    CClickEntry pause = rowEntry(0, 0);
    pause.m_clickType = DoubleLeftClick;
    const Case cases[] = {
        {"double click's pause", {pause}, QStringLiteral("[Settings]\nDoubleClickDelay=3000\n")},
        {"row delay", {rowEntry(0, 0), rowEntry(1, 3000)}, QStringLiteral("[Settings]\n")},
    };
    for (const Case& c : cases) {
        if (!writeSettings(c.settings))
            continue;
        std::vector<double> answered, ended;
        for (int i = 0; i < tries; ++i) {
            const StopTry t = stopOnce(folder + QStringLiteral("/stop.tpx"), c.entries);
            if (t.answeredMs >= 0)
                answered.push_back(t.answeredMs);
            if (t.endedMs >= 0)
                ended.push_back(t.endedMs);
        }
        std::sort(answered.begin(), answered.end());
        std::sort(ended.begin(), ended.end());
        const auto at = [](const std::vector<double>& v, double share) {
            return v.empty() ? -1.0 : v[static_cast<size_t>(std::ceil(share * static_cast<double>(v.size()))) - 1];
        };
        std::printf("%-22s %14.3f %14.3f %14.3f %16.3f %16.3f %3zu/%-2d\n", c.name, at(ended, 0.5), at(ended, 0.9),
                    at(ended, 1.0), at(answered, 0.5), at(answered, 1.0), ended.size(), tries);
    }
    writeSettings(QStringLiteral("[Settings]\n"));
}

// The CPU time a player uses between two clicks 1 s apart: over the whole
// interval (its click and the list's repaint included), and over the 0.7 s
// in the middle of it, when it only waits.
struct WaitCost {
    double wholeMs = -1;
    double waitingMs = -1;
};

WaitCost waitCost(BoundedProcess& player, ClickRecorder& recorder)
{
    WaitCost cost;
    const auto press = [&recorder] {
        for (;;) {
            const std::optional<RecordedEvent> e = recorder.next(10000);
            if (!e || e->kind == RecordedEvent::Kind::Press)
                return e.has_value();
        }
    };
    if (!press())
        return cost;
    const std::optional<double> atFirst = cpuTimeMs(player.pid());
    QThread::msleep(150);
    const std::optional<double> from = cpuTimeMs(player.pid());
    QThread::msleep(700);
    const std::optional<double> to = cpuTimeMs(player.pid());
    if (!press())
        return cost;
    const std::optional<double> atSecond = cpuTimeMs(player.pid());
    if (atFirst && from && to && atSecond) {
        cost.wholeMs = *atSecond - *atFirst;
        cost.waitingMs = *to - *from;
    }
    return cost;
}

void idleWait(const QString& folder)
{
    WaitCost quorvel, xdotool;
    const QString path = folder + QStringLiteral("/wait.tpx");
    if (writeFile(path, {rowEntry(0, kFirstDelayMs), rowEntry(1, 1000)})) {
        ClickRecorder recorder;
        BoundedProcess program;
        program.discardStandardOutput();
        if (recorder.start(recorderOptions()) && program.start(programPath(), {path}))
            quorvel = waitCost(program, recorder);
        program.waitForExit(10000);
    }
    {
        ClickRecorder recorder;
        BoundedProcess program;
        if (recorder.start(recorderOptions()) && startXdotool(program, 1000, 2))
            xdotool = waitCost(program, recorder);
        program.waitForExit(10000);
    }
    std::printf("CPU time, 1 s between two clicks: quorvel %.2f ms (%.2f ms in the 0.7 s it only waits), "
                "xdotool %.2f ms (%.2f ms)\n",
                quorvel.wholeMs, quorvel.waitingMs, xdotool.wholeMs, xdotool.waitingMs);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    int rounds = 3;
    int tries = 20;
    double scale = 1.0;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--rounds") == 0)
            rounds = std::max(1, std::atoi(argv[i + 1]));
        else if (std::strcmp(argv[i], "--scale") == 0)
            scale = std::max(0.01, std::atof(argv[i + 1]));
        else if (std::strcmp(argv[i], "--tries") == 0)
            tries = std::max(1, std::atoi(argv[i + 1]));
    }
    QTemporaryDir folder;
    qputenv("HOME", QFile::encodeName(folder.path()));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(folder.path() + "/config"));
    qputenv("XDG_DATA_HOME", QFile::encodeName(folder.path() + "/data"));
    // The control socket's private folder.
    QDir().mkpath(folder.path() + "/runtime");
    QFile::setPermissions(folder.path() + "/runtime",
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(folder.path() + "/runtime"));
    qputenv("DBUS_SESSION_BUS_ADDRESS", "disabled:");
    qputenv("LSAN_OPTIONS", "suppressions=" QUORVEL_LSAN_SUPPRESSIONS ":print_suppressions=0");
    if (qEnvironmentVariableIsEmpty("QUORVEL_BUILD_DIR"))
        qputenv("QUORVEL_BUILD_DIR", QFile::encodeName(QCoreApplication::applicationDirPath()));

    XvfbServer::Options options;
    options.screenSize = kScreen;
    XvfbServer server(options);
    if (!server.isRunning()) {
        std::fprintf(stderr, "cannot start Xvfb: %s\n", qPrintable(server.errorString()));
        return 1;
    }
    server.exportDisplay();
    // The clicks reach the recorder through the X server: it gets real-time
    // priority too, so that a busy machine delays neither on the way.
    sched_param serverPriority{};
    serverPriority.sched_priority = 40;
    const bool serverRealtime = sched_setscheduler(static_cast<pid_t>(server.pid()), SCHED_FIFO, &serverPriority) == 0;

    // Whether the recorder gets real-time priority, and whether the window
    // is on screen while the program plays.
    bool realtime = false;
    {
        ClickRecorder recorder;
        realtime =
            recorder.start(recorderOptions()) && sched_getscheduler(static_cast<pid_t>(recorder.pid())) == SCHED_FIFO;
    }
    bool shown = false;
    runQuorvel(folder.path() + QStringLiteral("/probe.tpx"), {rowEntry(0, 1000)}, &shown);
    std::printf("recorder: %s; X server: %s; main window: %s\n",
                realtime ? "real-time priority (SCHED_FIFO 50)" : "normal priority (real-time refused)",
                serverRealtime ? "real-time priority (SCHED_FIFO 40)" : "normal priority",
                shown ? "on screen" : "NOT on screen");
    for (int round = 0; round < rounds; ++round)
        timingTable(folder.path(), scale);
    busyWindow(folder.path());
    stopLatency(folder.path(), tries);
    std::printf("\n");
    idleWait(folder.path());
    return 0;
}
