#include "support/ClickRecorder.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFileInfo>

namespace quorvel::test {

QString ClickRecorder::defaultProgram()
{
    const QString buildDir = qEnvironmentVariable("QUORVEL_BUILD_DIR");
    if (!buildDir.isEmpty() && QFileInfo(buildDir + "/xclickrecorder").isExecutable())
        return buildDir + "/xclickrecorder";
    return QCoreApplication::applicationDirPath() + "/xclickrecorder";
}

bool ClickRecorder::start()
{
    return start(Options());
}

bool ClickRecorder::start(const Options& options)
{
    QStringList arguments;
    std::vector<QRect> areas = options.more;
    if (!options.area.isEmpty())
        areas.insert(areas.begin(), options.area);
    for (const QRect& r : areas)
        arguments << "--geometry" << QString("%1x%2+%3+%4").arg(r.width()).arg(r.height()).arg(r.x()).arg(r.y());
    if (options.keys)
        arguments << "--keys";
    if (options.realtime)
        arguments << "--realtime";
    const QString program = options.program.isEmpty() ? defaultProgram() : options.program;
    if (!m_process.start(program, arguments, options.readyTimeoutMs)) {
        m_error = m_process.errorString();
        return false;
    }
    const std::optional<QByteArray> line = m_process.readLine(options.readyTimeoutMs);
    if (line && *line == "ready")
        return true;
    m_process.stop();
    m_error = "the click recorder did not get ready";
    if (line)
        m_error += ", it said: " + QString::fromLocal8Bit(*line);
    const QByteArray errors = m_process.readAllStandardError().trimmed();
    if (!errors.isEmpty())
        m_error += ": " + QString::fromLocal8Bit(errors);
    return false;
}

std::optional<RecordedEvent> ClickRecorder::next(int timeoutMs)
{
    const QDeadlineTimer deadline(qMax(0, timeoutMs));
    // Lines that are not events (none are expected after "ready") are skipped.
    for (;;) {
        const std::optional<QByteArray> line =
            m_process.readLine(static_cast<int>(qMax<qint64>(0, deadline.remainingTime())));
        if (!line)
            return std::nullopt;
        if (std::optional<RecordedEvent> event = RecordedEvent::parse(*line))
            return event;
    }
}

std::vector<RecordedEvent> ClickRecorder::take(std::size_t count, int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    std::vector<RecordedEvent> events;
    while (events.size() < count) {
        std::optional<RecordedEvent> event = next(static_cast<int>(qMax<qint64>(0, deadline.remainingTime())));
        if (!event)
            break;
        events.push_back(*event);
    }
    return events;
}

std::vector<RecordedEvent> ClickRecorder::collectFor(int ms)
{
    return take(static_cast<std::size_t>(-1), ms);
}

} // namespace quorvel::test
