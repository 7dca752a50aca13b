// quorvel: build, save and replay sequences of mouse clicks.
#include "app/CClickerApp.h"
#include "app/CommandLine.h"
#include "app/ControlClient.h"
#include "platform/Platform.h"
#include "res/Resources.h"

#include <QApplication>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// True when Qt would run on X11.
bool wantsX11()
{
    const char* qpa = std::getenv("QT_QPA_PLATFORM");
    return !qpa || !*qpa || std::strncmp(qpa, "xcb", 3) == 0;
}

} // namespace

int main(int argc, char** argv)
{
    const CommandLine commandLine = ParseCommandLine(ProgramArguments(argc, argv));
    switch (commandLine.action) {
    case CommandLine::Action::Help:
        std::fputs(qPrintable(UsageText()), stdout);
        return 0;
    case CommandLine::Action::Version:
        std::fputs(qPrintable(VersionText()), stdout);
        return 0;
    case CommandLine::Action::Error:
        std::fprintf(stderr, "quorvel: %s\n%s", qPrintable(commandLine.error), qPrintable(UsageText()));
        return 2;
    case CommandLine::Action::Control:
        return SendControlCommand(commandLine.command);
    case CommandLine::Action::Start:
        break;
    }

    // Before Qt starts: the back end decides how the window is shown.
    const platform::NativeChoice choice = platform::chooseNative();
    if (!choice.backend) {
        std::fprintf(stderr, "quorvel: %s\n", choice.message.c_str());
        return 1;
    }
    if (!choice.qtPlatform.empty() && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", QByteArray::fromStdString(choice.qtPlatform));

    if (wantsX11()) {
        if (const platform::Result display = platform::checkDisplay(); !display) {
            std::fprintf(stderr, "quorvel: %s\n", display.message.c_str());
            return 1;
        }
    }

    // Qt gets no arguments of ours to interpret: every argument is the
    // program's own.
    int qtArgc = 1;
    QApplication application(qtArgc, argv);
    QApplication::setApplicationName(QStringLiteral("Quorvel"));
    QApplication::setOrganizationName(QStringLiteral("Corvane"));
    QApplication::setApplicationVersion(QStringLiteral(QUORVEL_VERSION));
    // The desktop entry's name: a Wayland compositor knows the window by it.
    QApplication::setDesktopFileName(QString::fromLatin1(platform::kApplicationId));
    QApplication::setQuitOnLastWindowClosed(false);

    const std::unique_ptr<platform::Platform> native = platform::createNative(choice);
    platform::setCurrent(native.get());

    CClickerApp app;
    application.setWindowIcon(res::loadIcon(IDR_MAINFRAME));
    // An unattended run that has nothing to play, or nothing to click with,
    // ends at once, with code 1.
    const int code = app.InitInstance(commandLine, QString::fromStdString(choice.message)) ? application.exec() : 1;
    platform::setCurrent(nullptr);
    return code;
}
