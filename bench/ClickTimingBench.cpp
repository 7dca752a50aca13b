// How precisely the real program keeps its delays, against xdotool as the
// reference: on a private Xvfb, plays a one-row sequence with delays of 0, 1,
// 10 and 100 ms unattended (quorvel FILE), records the real button presses
// with the click recorder, and prints the clicks per second and the median,
// p99 and maximum of (actual interval - intended interval) in milliseconds,
// beside the same figures for `xdotool click --repeat N --delay D`.
//
// Usage: quorvel_bench_click_timing [clicks-per-run]   (needs Xvfb, xdotool)
#include "files/SequenceCodec.h"
#include "support/BoundedProcess.h"
#include "support/ClickRecorder.h"
#include "support/XvfbServer.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace quorvel::test;

namespace {

constexpr int kX = 60;
constexpr int kY = 60;

struct Figures {
    int clicks = 0;
    double clicksPerSecond = 0;
    double median = 0, p99 = 0, max = 0, min = 0;
};

Figures measure(const std::vector<RecordedEvent>& presses, int delay)
{
    Figures f;
    f.clicks = static_cast<int>(presses.size());
    if (presses.size() < 2)
        return f;
    std::vector<double> errors;
    for (size_t i = 1; i < presses.size(); ++i)
        errors.push_back(static_cast<double>(presses[i].time - presses[i - 1].time) - delay);
    std::sort(errors.begin(), errors.end());
    const double span = static_cast<double>(presses.back().time - presses.front().time);
    f.clicksPerSecond = span > 0 ? 1000.0 * static_cast<double>(presses.size() - 1) / span : 0;
    f.median = errors[errors.size() / 2];
    f.p99 = errors[std::min(errors.size() - 1, static_cast<size_t>(0.99 * static_cast<double>(errors.size())))];
    f.max = errors.back();
    f.min = errors.front();
    return f;
}

std::vector<RecordedEvent> presses(ClickRecorder& recorder, int count, int timeoutMs)
{
    std::vector<RecordedEvent> out;
    for (const RecordedEvent& e : recorder.take(static_cast<size_t>(2 * count), timeoutMs))
        if (e.kind == RecordedEvent::Kind::Press)
            out.push_back(e);
    return out;
}

std::vector<RecordedEvent> runQuorvel(const QString& folder, int delay, int count)
{
    CClickEntry entry;
    entry.m_x = kX;
    entry.m_y = kY;
    entry.m_delay = static_cast<std::uint32_t>(delay);
    const std::vector<std::uint8_t> bytes = files::encodeSequence(count, {entry});
    const QString path = folder + QStringLiteral("/timing-%1.tpx").arg(delay);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return {};
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
    file.close();

    ClickRecorder recorder;
    ClickRecorder::Options options;
    options.area = QRect(0, 0, 200, 200);
    if (!recorder.start(options))
        return {};
    BoundedProcess program;
    program.discardStandardOutput();
    if (!program.start(qEnvironmentVariable("QUORVEL_BUILD_DIR") + QStringLiteral("/quorvel"), {path}))
        return {};
    const auto got = presses(recorder, count, 20000 + count * (delay + 20));
    program.waitForExit(10000);
    return got;
}

std::vector<RecordedEvent> runXdotool(int delay, int count)
{
    ClickRecorder recorder;
    ClickRecorder::Options options;
    options.area = QRect(0, 0, 200, 200);
    if (!recorder.start(options))
        return {};
    runBounded(QStringLiteral("xdotool"),
               {"mousemove", "--sync", QString::number(kX), QString::number(kY), "click", "--repeat",
                QString::number(count), "--delay", QString::number(delay), "1"},
               20000 + count * (delay + 20));
    return presses(recorder, count, 5000);
}

void print(const char* who, int delay, const Figures& f)
{
    std::printf("%-9s %6d %7d %10.0f %8.2f %8.2f %8.2f %8.2f\n", who, delay, f.clicks, f.clicksPerSecond, f.median,
                f.p99, f.max, f.min);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int count = argc > 1 ? std::max(10, std::atoi(argv[1])) : 300;
    QTemporaryDir folder;
    qputenv("HOME", QFile::encodeName(folder.path()));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(folder.path() + "/config"));
    qputenv("XDG_DATA_HOME", QFile::encodeName(folder.path() + "/data"));
    qputenv("DBUS_SESSION_BUS_ADDRESS", "disabled:");
    qputenv("ASAN_OPTIONS", "detect_leaks=0");
    if (qEnvironmentVariableIsEmpty("QUORVEL_BUILD_DIR"))
        qputenv("QUORVEL_BUILD_DIR", QFile::encodeName(QCoreApplication::applicationDirPath()));

    XvfbServer server;
    if (!server.isRunning()) {
        std::fprintf(stderr, "cannot start Xvfb: %s\n", qPrintable(server.errorString()));
        return 1;
    }
    server.exportDisplay();

    std::printf("interval error = actual - intended, ms (server time, 1 ms resolution)\n");
    std::printf("%-9s %6s %7s %10s %8s %8s %8s %8s\n", "player", "delay", "clicks", "clicks/s", "median", "p99",
                "max", "min");
    for (int delay : {0, 1, 10, 100}) {
        const int n = delay >= 100 ? std::max(10, count / 6) : count;
        print("quorvel", delay, measure(runQuorvel(folder.path(), delay, n), delay));
        print("xdotool", delay, measure(runXdotool(delay, n), delay));
    }
    return 0;
}
