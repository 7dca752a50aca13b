// Registration of the sequence file type with the desktop, for the running
// program.
#include "files/RegisterFileType.h"
#include "hotkeys/CUtility.h"
#include "platform/Platform.h"
#include "res/Resources.h"

#include <QCoreApplication>

namespace {

platform::IconImage image(const char* size, const char* format, const QByteArray& data)
{
    return platform::IconImage{size, format, data.toStdString()};
}

} // namespace

int CUtility::RegisterFileType(QString extension, QString description)
{
    std::vector<platform::IconImage> icons = {
        image("16x16", "png", res::iconPng(16)),
        image("32x32", "png", res::iconPng(32)),
        image("scalable", "svg", res::iconSvg()),
    };
    return files::registerFileType(platform::current().shell(), extension.toStdString(), description.toStdString(),
                                   QCoreApplication::applicationFilePath().toStdString(), std::move(icons));
}
