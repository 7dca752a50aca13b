// Loads a sequence file of 1,000,000 clicks into the main window and saves it
// again, through the dialog's own load and save operations, and prints the
// times and the peak memory. Runs on Qt's offscreen platform with the
// recording platform, in a fresh temporary folder. Exits 1 when the saved
// file differs from the loaded one.
//
//   quorvel_bench_load_save [clicks]
#include "app/CClickerApp.h"
#include "files/SequenceCodec.h"
#include "framework/ListView.h"
#include "framework/MessageBox.h"
#include "platform/fake/RecordingPlatform.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>

namespace {

long peakKiB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    const int clicks = argc > 1 ? std::atoi(argv[1]) : 1000000;
    int qtArgc = 1;
    QApplication application(qtArgc, argv);
    platform::fake::ScopedRecordingPlatform platform;
    int boxes = 0;
    setMessageBoxHandler([&boxes](const MessageBoxRequest& request) {
        std::fprintf(stderr, "message box: %s\n", qPrintable(request.text));
        ++boxes;
        return static_cast<int>(IDOK);
    });
    QTemporaryDir dir;
    if (!dir.isValid()) {
        std::fprintf(stderr, "no temporary folder\n");
        return 1;
    }

    // The file, numbered as a loaded list numbers its rows, so that saving
    // the list again gives the same bytes.
    const QString source = dir.filePath(QStringLiteral("source.tpx"));
    {
        std::vector<CClickEntry> entries(static_cast<size_t>(clicks));
        for (int i = 0; i < clicks; ++i) {
            CClickEntry& e = entries[static_cast<size_t>(i)];
            e.m_x = static_cast<std::uint32_t>(i % 1920);
            e.m_y = static_cast<std::uint32_t>(i % 1080);
            e.m_clickType = i % 4;
            e.m_cursorBack = i % 2;
            e.m_delay = 100 + static_cast<std::uint32_t>(i % 900);
            e.m_serial = static_cast<std::uint16_t>(i + 1);
        }
        const std::vector<std::uint8_t> bytes = files::encodeSequence(5, entries);
        QFile file(source);
        if (!file.open(QIODevice::WriteOnly) ||
            file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size())) !=
                static_cast<qint64>(bytes.size())) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(source));
            return 1;
        }
    }

    CClickerApp app;
    app.m_pMainWnd = &app.m_dlg;
    app.m_dlg.Create();
    app.m_dlg.show();
    CClickerDlg& dlg = app.m_dlg;
    QApplication::processEvents();
    const long before = peakKiB();

    QElapsedTimer timer;
    timer.start();
    const int loaded = dlg.LoadSequenceFile(source);
    const qint64 loadMs = timer.restart();
    QApplication::processEvents(); // the scroll to the last row, and a paint
    const qint64 showMs = timer.restart();

    const QString target = dir.filePath(QStringLiteral("saved.tpx"));
    dlg.m_filePath = target;
    const bool savedNew = dlg.SaveSequence();
    const qint64 saveNewMs = timer.restart();
    const bool savedAgain = dlg.SaveSequence(); // now replacing a file of the same size
    const qint64 saveAgainMs = timer.elapsed();

    const bool same = fileBytes(source) == fileBytes(target);
    std::printf("clicks               %d (%d rows in the list)\n", clicks, dlg.m_list.GetItemCount());
    std::printf("load                 %lld ms\n", static_cast<long long>(loadMs));
    std::printf("first paint          %lld ms\n", static_cast<long long>(showMs));
    std::printf("save (new file)      %lld ms\n", static_cast<long long>(saveNewMs));
    std::printf("save (replacing)     %lld ms\n", static_cast<long long>(saveAgainMs));
    std::printf("peak memory          %.1f MiB (%.1f MiB before the load)\n", peakKiB() / 1024.0, before / 1024.0);
    std::printf("row store            %.1f MiB\n", dlg.m_list.Model()->store().memoryUsage() / 1048576.0);
    std::printf("saved file           %s\n", same ? "same bytes as the loaded one" : "DIFFERS from the loaded one");
    dlg.DestroyWindow();
    setMessageBoxHandler({});
    return loaded == (clicks > 0 ? 1 : 0) && savedNew && savedAgain && same && boxes == 0 ? 0 : 1;
}
