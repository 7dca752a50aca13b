#include "support/RecordedEvent.h"

#include <QList>
#include <QStringList>

namespace quorvel::test {
namespace {

struct KindName {
    RecordedEvent::Kind kind;
    const char* name;
};

constexpr KindName kKindNames[] = {
    {RecordedEvent::Kind::Press, "press"},
    {RecordedEvent::Kind::Release, "release"},
    {RecordedEvent::Kind::KeyDown, "keypress"},
    {RecordedEvent::Kind::KeyUp, "keyrelease"},
};

} // namespace

std::optional<RecordedEvent> RecordedEvent::parse(const QByteArray& line)
{
    QList<QByteArray> fields = line.simplified().split(' ');
    if (fields.size() < 5 || fields.size() > 7)
        return std::nullopt;
    RecordedEvent event;
    if (fields.size() > 5 && fields.back().startsWith("us=")) {
        bool ok = false;
        event.arrivalUs = fields.back().mid(3).toULongLong(&ok);
        if (!ok)
            return std::nullopt;
        fields.removeLast();
    }
    if (fields.size() > 6)
        return std::nullopt;
    bool knownKind = false;
    for (const KindName& entry : kKindNames) {
        if (fields[0] == entry.name) {
            event.kind = entry.kind;
            knownKind = true;
        }
    }
    if (!knownKind)
        return std::nullopt;
    bool ok[4] = {};
    event.detail = fields[1].toInt(&ok[0]);
    event.x = fields[2].toInt(&ok[1]);
    event.y = fields[3].toInt(&ok[2]);
    event.time = fields[4].toULongLong(&ok[3]);
    if (!ok[0] || !ok[1] || !ok[2] || !ok[3])
        return std::nullopt;
    if (fields.size() == 6) {
        if (fields[5] != "sent")
            return std::nullopt;
        event.sent = true;
    }
    return event;
}

QString RecordedEvent::toString() const
{
    QString name;
    for (const KindName& entry : kKindNames) {
        if (entry.kind == kind)
            name = entry.name;
    }
    QString text = QString("%1 %2 %3 %4 %5").arg(name).arg(detail).arg(x).arg(y).arg(time);
    if (sent)
        text += " sent";
    if (arrivalUs != 0)
        text += QString(" us=%1").arg(arrivalUs);
    return text;
}

QString describe(const std::vector<RecordedEvent>& events)
{
    QStringList lines;
    for (const RecordedEvent& e : events)
        lines << e.toString();
    return lines.join(QStringLiteral(" | "));
}

QStringList buttonsOf(const std::vector<RecordedEvent>& events)
{
    QStringList out;
    for (const RecordedEvent& e : events)
        if (e.kind == RecordedEvent::Kind::Press || e.kind == RecordedEvent::Kind::Release)
            out << QStringLiteral("%1 %2 %3 %4")
                       .arg(e.kind == RecordedEvent::Kind::Press ? "press" : "release")
                       .arg(e.detail)
                       .arg(e.x)
                       .arg(e.y);
    return out;
}

QStringList clickLines(int button, int x, int y)
{
    return {QStringLiteral("press %1 %2 %3").arg(button).arg(x).arg(y),
            QStringLiteral("release %1 %2 %3").arg(button).arg(x).arg(y)};
}

} // namespace quorvel::test
