#include "support/E2eSession.h"

#include "files/SequenceCodec.h"
#include "platform/portal/EiPointer.h"
#include "support/Desktop.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QThread>

namespace quorvel::test {

QString writeSequence(const QString& name, std::int32_t repeatCount, const std::vector<CClickEntry>& entries)
{
    const QString path = qEnvironmentVariable("HOME") + QLatin1Char('/') + name;
    const std::vector<std::uint8_t> bytes = files::encodeSequence(repeatCount, entries);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return QString();
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
    return path;
}

CClickEntry clickAt(int x, int y, std::uint32_t delay)
{
    CClickEntry e;
    e.m_x = static_cast<std::uint32_t>(x);
    e.m_y = static_cast<std::uint32_t>(y);
    e.m_delay = delay;
    e.m_clickType = 0;
    e.m_cursorBack = 0;
    e.m_serial = 0;
    return e;
}

QString portalClickLine(uint version)
{
    return version >= 2 && platform::portal::EiPointer::available()
               ? QStringLiteral("quorvel: clicks through the desktop portal's input connection with libei")
               : QStringLiteral("quorvel: clicks through the desktop portal's Notify calls");
}

QString wrongClickPath(const QByteArray& standardError, uint version)
{
    const QString said = QString::fromLocal8Bit(standardError);
    if (!said.contains(portalClickLine(version)) || said.contains(QStringLiteral(" instead")))
        return QStringLiteral("expected \"%1\" (portal version %2), the program said: %3")
            .arg(portalClickLine(version))
            .arg(version)
            .arg(said);
    return QString();
}

QStringList savedRows(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray data = file.readAll();
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(data.constData());
    const files::DecodedSequence decoded = files::decodeSequence(bytes, static_cast<std::size_t>(data.size()));
    QStringList rows;
    for (const CClickEntry& e : decoded.entries)
        rows << QStringLiteral("%1 %2 %3").arg(e.m_x).arg(e.m_y).arg(e.m_delay);
    return rows;
}

QPoint WindowPoints::at(double x, double y) const
{
    return {m_window.x() + int(x * m_window.width() / 420.0), m_window.y() + int(y * m_window.height() / 315.0)};
}

std::optional<QPoint> pointer()
{
    const auto out = xdotool({"getmouselocation", "--shell"});
    if (!out)
        return std::nullopt;
    QPoint p;
    for (const QByteArray& line : out->split('\n')) {
        if (line.startsWith("X="))
            p.setX(line.mid(2).toInt());
        else if (line.startsWith("Y="))
            p.setY(line.mid(2).toInt());
    }
    return p;
}

bool moveTo(const QPoint& p)
{
    // "mousemove --sync" waits for a motion, which never comes when the
    // pointer is there already.
    if (pointer() == p)
        return true;
    return xdotool({"mousemove", "--sync", QString::number(p.x()), QString::number(p.y())}).has_value();
}

bool click(const QPoint& p, int button)
{
    return moveTo(p) && xdotool({"click", QString::number(button)});
}

bool typeInto(const QPoint& field, const QString& text)
{
    return click(field) && xdotool({"key", "ctrl+a"}) && xdotool({"type", "--delay", "15", text});
}

bool keys(const QStringList& keyNames)
{
    return xdotool(QStringList{"key", "--delay", "30"} + keyNames).has_value();
}

std::vector<ShownWindow> programWindows()
{
    std::vector<ShownWindow> windows;
    const auto out = xdotool({"search", "--onlyvisible", "--class", "quorvel"});
    if (!out)
        return windows;
    for (const QByteArray& line : out->split('\n')) {
        const QString id = QString::fromLatin1(line.trimmed());
        if (id.isEmpty())
            continue;
        if (const auto geometry = windowGeometry(id))
            windows.push_back({id, *geometry});
    }
    return windows;
}

std::optional<ShownWindow> waitForProgramWindowIn(const QRect& area, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < timeoutMs) {
        for (const ShownWindow& w : programWindows())
            if (area.contains(w.geometry))
                return w;
        QThread::msleep(100);
    }
    return std::nullopt;
}

std::optional<ShownWindow> waitForNewProgramWindow(const std::vector<ShownWindow>& known, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < timeoutMs) {
        for (const ShownWindow& w : programWindows()) {
            bool seen = false;
            for (const ShownWindow& k : known)
                seen = seen || k.id == w.id;
            if (!seen)
                return w;
        }
        QThread::msleep(100);
    }
    return std::nullopt;
}

bool asksToBeMinimised(const QString& window)
{
    const ProcessOutput out = runBounded("xprop", {"-id", window, "WM_HINTS", "_NET_WM_STATE"}, 10000);
    return out.succeeded() && out.standardOutput.contains("Initial state is Iconic State") &&
           out.standardOutput.contains("_NET_WM_STATE_HIDDEN");
}

bool RunningProgram::start(const QStringList& arguments)
{
    m_process.discardStandardOutput();
    if (!m_process.start(programPath(), arguments))
        return false;
    const auto window = waitForWindow(kMainWindowPattern);
    const auto geometry = window ? windowGeometry(*window) : std::nullopt;
    if (!geometry)
        return false;
    m_geometry = *geometry;
    return focusWindow(*window);
}

bool RunningProgram::addRow(int x, int y, int delay)
{
    const WindowPoints w = points();
    return typeInto(w.at(94, 27), QString::number(x)) && typeInto(w.at(94, 44), QString::number(y)) &&
           typeInto(w.at(172, 75), QString::number(delay)) && keys({"Return"});
}

bool RunningProgram::setRepeatCount(int count)
{
    return typeInto(points().at(375, 78), QString::number(count));
}

bool TrayHost::start()
{
    m_process.discardStandardOutput();
    if (!m_process.start("trayer", {"--edge", "bottom", "--align", "right", "--widthtype", "pixel", "--width", "100",
                                    "--height", "24"})) {
        m_error = m_process.errorString();
        return false;
    }
    const auto panel = waitForWindow(QStringLiteral("^panel$"), 10000);
    if (!panel) {
        m_error = QStringLiteral("the tray host's panel did not appear");
        return false;
    }
    const auto geometry = windowGeometry(*panel);
    if (!geometry) {
        m_error = QStringLiteral("the tray host's panel has no geometry");
        return false;
    }
    m_panel = *geometry;
    return true;
}

bool KeyHolder::hold(const QString& combination)
{
    const QString program = qEnvironmentVariable("QUORVEL_BUILD_DIR") + QStringLiteral("/xgrabkey");
    if (!m_process.start(program, {combination})) {
        m_line = m_process.errorString();
        return false;
    }
    const auto line = m_process.readLine(5000);
    m_line = line ? QString::fromUtf8(*line) : QStringLiteral("(nothing)");
    return m_line == QLatin1String("grabbed");
}

} // namespace quorvel::test
