#include "support/Desktop.h"

#include "support/BoundedProcess.h"

#include <QElapsedTimer>
#include <QThread>

namespace quorvel::test {

QString programPath()
{
    return qEnvironmentVariable("QUORVEL_BUILD_DIR") + QStringLiteral("/quorvel");
}

std::optional<QByteArray> xdotool(const QStringList& arguments, int timeoutMs)
{
    const ProcessOutput output = runBounded(QStringLiteral("xdotool"), arguments, timeoutMs);
    if (!output.succeeded())
        return std::nullopt;
    return output.standardOutput;
}

QStringList visibleWindows(const QString& pattern)
{
    const auto out = xdotool({QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--name"), pattern});
    if (!out)
        return {};
    QStringList windows;
    for (const QByteArray& line : out->split('\n'))
        if (!line.trimmed().isEmpty())
            windows << QString::fromLatin1(line.trimmed());
    return windows;
}

std::optional<QString> waitForWindow(const QString& pattern, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < timeoutMs) {
        const QStringList windows = visibleWindows(pattern);
        if (!windows.isEmpty())
            return windows.front();
        QThread::msleep(100);
    }
    return std::nullopt;
}

std::optional<QRect> windowGeometry(const QString& window)
{
    const auto out = xdotool({QStringLiteral("getwindowgeometry"), QStringLiteral("--shell"), window});
    if (!out)
        return std::nullopt;
    int x = 0, y = 0, w = 0, h = 0, found = 0;
    for (const QByteArray& line : out->split('\n')) {
        const int eq = line.indexOf('=');
        if (eq < 0)
            continue;
        const QByteArray key = line.left(eq);
        const int value = line.mid(eq + 1).toInt();
        if (key == "X") x = value, ++found;
        else if (key == "Y") y = value, ++found;
        else if (key == "WIDTH") w = value, ++found;
        else if (key == "HEIGHT") h = value, ++found;
    }
    if (found != 4)
        return std::nullopt;
    return QRect(x, y, w, h);
}

bool focusWindow(const QString& window)
{
    return xdotool({QStringLiteral("windowfocus"), QStringLiteral("--sync"), window}).has_value();
}

bool answerMessageBox(int timeoutMs)
{
    const std::optional<QString> box = waitForWindow(QStringLiteral("^Quorvel$"), timeoutMs);
    return box && focusWindow(*box) && xdotool({"key", "Return"}).has_value();
}

} // namespace quorvel::test
