#include "platform/x11/XdgShell.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QSaveFile>
#include <QStandardPaths>
#include <QString>
#include <QXmlStreamWriter>

namespace platform::x11 {

namespace {

// Error numbers in the Windows numbering that every platform result uses.
constexpr std::uint32_t kErrorAccessDenied = 5;      // a file or folder cannot be written
constexpr std::uint32_t kErrorInvalidParameter = 87; // a value that cannot be registered
constexpr std::uint32_t kErrorToolFailed = 1064;     // a cache tool failed or took too long

// A base folder as the XDG base directory rules give it: the variable when it
// holds an absolute path, otherwise the default under the home folder.
QString baseFolder(const char* variable, const char* defaultUnderHome)
{
    const QString value = QFile::decodeName(qgetenv(variable));
    if (!value.isEmpty() && QDir::isAbsolutePath(value))
        return QDir::cleanPath(value);
    return QDir::homePath() + "/" + defaultUnderHome;
}

Result cannotWrite(const QString& path, const QString& why)
{
    return Result::failure(kErrorAccessDenied, ("Cannot write " + path + ": " + why).toStdString());
}

// Replaces the file at `path` by `content` through a temporary file in the
// same folder, unless it already holds exactly that. `changed` says whether
// it was written.
Result writeIfChanged(const QString& path, const QByteArray& content, bool& changed)
{
    changed = false;
    const QFileInfo info(path);
    if (info.exists()) {
        QFile existing(path);
        if (!existing.open(QIODevice::ReadOnly))
            return cannotWrite(path, "it cannot be read: " + existing.errorString());
        if (existing.readAll() == content)
            return Result::success();
    }
    if (!QDir().mkpath(info.absolutePath()))
        return cannotWrite(path, "its folder cannot be created");

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return cannotWrite(path, file.errorString());
    if (file.write(content) != content.size() || !file.commit())
        return cannotWrite(path, file.errorString());
    changed = true;
    return Result::success();
}

// Runs a desktop cache tool on `folder` when it is installed, with no input,
// its output discarded and its run bounded by `timeoutMs`. A tool that is not
// installed is not an error: the desktop then reads the files themselves.
Result refreshCache(const QString& tool, const QString& folder, int timeoutMs)
{
    const QString program = QStandardPaths::findExecutable(tool);
    if (program.isEmpty())
        return Result::success();

    QProcess process;
    process.setProgram(program);
    process.setArguments({folder});
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    process.start();
    if (!process.waitForStarted(timeoutMs))
        return Result::failure(kErrorToolFailed, (tool + " could not be started for " + folder).toStdString());
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished(2000);
        return Result::failure(kErrorToolFailed, (tool + " took too long on " + folder).toStdString());
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return Result::failure(kErrorToolFailed, (tool + " failed on " + folder).toStdString());
    return Result::success();
}

// A cache needs rebuilding when its source changed, when it is missing, or
// when it is older than the source (an earlier refresh failed).
bool cacheIsStale(bool sourceChanged, const QString& source, const QString& cache)
{
    const QFileInfo cacheInfo(cache);
    return sourceChanged || !cacheInfo.exists() || cacheInfo.lastModified() < QFileInfo(source).lastModified();
}

// A value of a desktop entry key, with the escapes of the format's string type.
QByteArray desktopEntryValue(const std::string& value)
{
    QByteArray out;
    for (char c : value) {
        switch (c) {
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\r':
            out += "\\r";
            break;
        default:
            out += c;
        }
    }
    if (out.startsWith(' '))
        out.replace(0, 1, "\\s");
    return out;
}

QByteArray mimePackage(const FileTypeRegistration& registration)
{
    QByteArray xml;
    QXmlStreamWriter writer(&xml);
    writer.setAutoFormatting(true);
    writer.setAutoFormattingIndent(2);
    writer.writeStartDocument();
    writer.writeDefaultNamespace("http://www.freedesktop.org/standards/shared-mime-info");
    writer.writeStartElement("mime-info");
    writer.writeStartElement("mime-type");
    writer.writeAttribute("type", XdgShell::kMimeType);
    writer.writeTextElement("comment", QString::fromStdString(registration.description));
    writer.writeEmptyElement("icon");
    writer.writeAttribute("name", QString::fromStdString(registration.iconName));
    writer.writeEmptyElement("glob");
    writer.writeAttribute("pattern", "*" + QString::fromStdString(registration.extension));
    writer.writeEndElement();
    writer.writeEndElement();
    writer.writeEndDocument();
    return xml;
}

QByteArray desktopEntry(const FileTypeRegistration& registration)
{
    QByteArray entry = "[Desktop Entry]\n"
                       "Type=Application\n";
    entry += "Name=" + desktopEntryValue(XdgShell::kApplicationName) + "\n";
    entry += "Exec=" + desktopEntryValue(registration.openCommand) + "\n";
    entry += "Icon=" + desktopEntryValue(registration.iconName) + "\n";
    entry += "MimeType=" + QByteArray(XdgShell::kMimeType) + ";\n";
    entry += "Terminal=false\n";
    // The same entry as an installed copy of the program has (it shadows that
    // one for this user, so it must not hide from the menus).
    entry += "Categories=Utility;\n";
    return entry;
}

bool isGroupHeader(const QByteArray& trimmedLine)
{
    return trimmedLine.startsWith('[') && trimmedLine.endsWith(']');
}

// `content` of a mimeapps.list with `mimeType` defaulting to `desktopId` in
// its [Default Applications] group. Every other line is kept as it is; an
// existing entry whose first application is already `desktopId` is left
// alone, any other one is replaced; a missing entry is added at the end of the
// first such group, a missing group at the end of the file.
QByteArray withDefaultApplication(const QByteArray& content, const QByteArray& mimeType, const QByteArray& desktopId)
{
    static const QByteArray kGroup = "[Default Applications]";
    QList<QByteArray> lines;
    if (!content.isEmpty())
        lines = content.split('\n');
    bool trailingNewline = content.isEmpty() || content.endsWith('\n');
    if (!content.isEmpty() && trailingNewline)
        lines.removeLast();

    enum class Where { Outside, FirstGroup, LaterGroup };
    Where where = Where::Outside;
    bool seenGroup = false;
    bool found = false;
    qsizetype insertAt = -1; // after the last non-blank line of the first group
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QByteArray trimmed = lines[i].trimmed();
        if (isGroupHeader(trimmed)) {
            if (trimmed != kGroup) {
                where = Where::Outside;
            } else if (!seenGroup) {
                where = Where::FirstGroup;
                seenGroup = true;
                insertAt = i + 1;
            } else {
                where = Where::LaterGroup;
            }
            continue;
        }
        if (where == Where::Outside)
            continue;
        if (where == Where::FirstGroup && !trimmed.isEmpty())
            insertAt = i + 1;
        const qsizetype equals = lines[i].indexOf('=');
        if (equals > 0 && lines[i].left(equals).trimmed() == mimeType) {
            found = true;
            const QByteArray first = lines[i].mid(equals + 1).trimmed().split(';').first().trimmed();
            if (first != desktopId)
                lines[i] = mimeType + "=" + desktopId + (lines[i].endsWith('\r') ? "\r" : "");
        }
    }

    if (!found) {
        const QByteArray entry = mimeType + "=" + desktopId;
        if (insertAt >= 0) {
            // In the line-end style of the line it follows.
            lines.insert(insertAt, entry + (lines[insertAt - 1].endsWith('\r') ? "\r" : ""));
            if (insertAt == lines.size() - 1)
                trailingNewline = true;
        } else {
            if (!lines.isEmpty() && !lines.last().trimmed().isEmpty())
                lines.append(QByteArray());
            lines.append(kGroup);
            lines.append(entry);
            trailingNewline = true;
        }
    }
    QByteArray result = lines.join('\n');
    if (trailingNewline && !lines.isEmpty())
        result += '\n';
    return result;
}

// Icon sizes and formats as the icon theme lays them out; anything else would
// name a path outside the theme.
bool isValidIcon(const IconImage& icon)
{
    static const QRegularExpression kSize(QStringLiteral("^(scalable|[1-9][0-9]{0,3}x[1-9][0-9]{0,3}(@[1-9])?)$"));
    const QString format = QString::fromStdString(icon.format);
    return kSize.match(QString::fromStdString(icon.size)).hasMatch() &&
           (format == "png" || format == "svg" || format == "xpm");
}

// Checks that everything the files will carry can be written into them.
Result checkRegistration(const FileTypeRegistration& registration)
{
    static const QRegularExpression kIconName(QStringLiteral("^[A-Za-z0-9_][A-Za-z0-9._-]*$"));
    static const QRegularExpression kExtension(QStringLiteral("^\\.[^*?\\[\\]/\\\\\\x00-\\x1f]*$"));
    const QString command = QString::fromUtf8(registration.openCommand.data(), registration.openCommand.size());
    if (!kExtension.match(QString::fromStdString(registration.extension)).hasMatch())
        return Result::failure(kErrorInvalidParameter, "cannot register the extension " + registration.extension);
    if (!kIconName.match(QString::fromStdString(registration.iconName)).hasMatch())
        return Result::failure(kErrorInvalidParameter, "cannot register the icon name " + registration.iconName);
    if (registration.openCommand.empty() || command.toUtf8().toStdString() != registration.openCommand)
        return Result::failure(kErrorInvalidParameter, "the open command is not valid UTF-8 text");
    for (const IconImage& icon : registration.icons) {
        if (!isValidIcon(icon))
            return Result::failure(kErrorInvalidParameter,
                                   "cannot install an icon of size " + icon.size + " and format " + icon.format);
    }
    return Result::success();
}

} // namespace

Result XdgShell::registerFileType(const FileTypeRegistration& registration)
{
    if (Result checked = checkRegistration(registration); !checked)
        return checked;

    const QString dataHome = baseFolder("XDG_DATA_HOME", ".local/share");
    const QString configHome = baseFolder("XDG_CONFIG_HOME", ".config");
    bool changed = false;

    // The type: its name, glob and description for every desktop.
    const QString mimeFolder = dataHome + "/mime";
    const QString package = mimeFolder + "/packages/" + kMimePackageName;
    if (Result written = writeIfChanged(package, mimePackage(registration), changed); !written)
        return written;
    if (cacheIsStale(changed, package, mimeFolder + "/mime.cache")) {
        if (Result refreshed = refreshCache("update-mime-database", mimeFolder, m_toolTimeoutMs); !refreshed)
            return refreshed;
    }

    // The application that opens it.
    const QString applications = dataHome + "/applications";
    const QString entry = applications + "/" + kDesktopFileName;
    if (Result written = writeIfChanged(entry, desktopEntry(registration), changed); !written)
        return written;
    // The entry of an earlier version would list the program twice.
    if (QFile::exists(applications + "/" + kFormerDesktopFileName))
        changed = QFile::remove(applications + "/" + kFormerDesktopFileName) || changed;
    if (cacheIsStale(changed, entry, applications + "/mimeinfo.cache")) {
        if (Result refreshed = refreshCache("update-desktop-database", applications, m_toolTimeoutMs); !refreshed)
            return refreshed;
    }

    // Its icon, in the theme every icon theme falls back to.
    for (const IconImage& icon : registration.icons) {
        const QString path = dataHome + "/icons/hicolor/" + QString::fromStdString(icon.size) + "/apps/" +
                             QString::fromStdString(registration.iconName) + "." + QString::fromStdString(icon.format);
        if (Result written = writeIfChanged(path, QByteArray::fromStdString(icon.data), changed); !written)
            return written;
    }

    // The default association, keeping whatever else the list holds.
    const QString mimeApps = configHome + "/mimeapps.list";
    QByteArray current;
    if (QFileInfo::exists(mimeApps)) {
        QFile file(mimeApps);
        if (!file.open(QIODevice::ReadOnly))
            return cannotWrite(mimeApps, "it cannot be read: " + file.errorString());
        current = file.readAll();
    }
    return writeIfChanged(mimeApps, withDefaultApplication(current, kMimeType, kDesktopFileName), changed);
}

std::unique_ptr<Shell> createXdgShell()
{
    return std::make_unique<XdgShell>();
}

} // namespace platform::x11
