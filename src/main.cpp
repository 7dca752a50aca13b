// quorvel: build, save and replay sequences of mouse clicks.
#include "app/CClickerApp.h"
#include "app/CommandLine.h"
#include "app/ControlClient.h"
#include "framework/MessageBox.h"
#include "platform/Platform.h"
#include "res/Resources.h"

#include <QApplication>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// True when Qt would run on X11 but no X display was named.
bool missingDisplay()
{
    const char* qpa = std::getenv("QT_QPA_PLATFORM");
    const bool wantsX11 = !qpa || !*qpa || std::strncmp(qpa, "xcb", 3) == 0;
    const char* display = std::getenv("DISPLAY");
    return wantsX11 && (!display || !*display);
}

} // namespace

int main(int argc, char** argv)
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const CommandLine commandLine = ParseCommandLine(arguments);
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

    if (missingDisplay()) {
        std::fputs("quorvel: no X display (DISPLAY is not set); run it in a desktop session, "
                   "or under a virtual one with: xvfb-run quorvel\n",
                   stderr);
        return 1;
    }

    // Qt gets no arguments of ours to interpret: every argument is the
    // program's own.
    int qtArgc = 1;
    QApplication application(qtArgc, argv);
    QApplication::setApplicationName(QStringLiteral("Quorvel"));
    QApplication::setOrganizationName(QStringLiteral("Corvane"));
    QApplication::setApplicationVersion(QStringLiteral(QUORVEL_VERSION));
    // The desktop entry's name: a Wayland compositor knows the window by it.
    QApplication::setDesktopFileName(QStringLiteral("quorvel"));
    QApplication::setQuitOnLastWindowClosed(false);

    const std::unique_ptr<platform::Platform> native = platform::createNative(choice);
    platform::setCurrent(native.get());

    CClickerApp app;
    application.setWindowIcon(res::loadIcon(IDR_MAINFRAME));
    // The program still opens when it cannot click, so sequences can be
    // edited and saved, but it says so plainly, and once what the back end
    // chosen cannot do.
    QString message = QString::fromStdString(choice.message);
    const platform::Result check = native->check();
    if (!check)
        message = QStringLiteral("Mouse clicks cannot be played on this display: %1. %2")
                      .arg(QString::fromStdString(check.message), message)
                      .trimmed();
    if (!message.isEmpty()) {
        std::fprintf(stderr, "quorvel: %s\n", qPrintable(message));
        AfxMessageBox(message, MB_OK | (check ? MB_ICONEXCLAMATION : MB_ICONHAND));
    }
    app.InitInstance(commandLine);
    const int code = application.exec();
    platform::setCurrent(nullptr);
    return code;
}
