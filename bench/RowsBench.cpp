// Appends 1,000,000 clicks to the main window's list through the row
// operations, reads them all back, and prints the times and the peak memory.
// Runs on Qt's offscreen platform with the recording platform.
#include "app/CClickerApp.h"
#include "framework/ListView.h"
#include "platform/fake/RecordingPlatform.h"

#include <QApplication>
#include <QElapsedTimer>

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
} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    const int rows = argc > 1 ? std::atoi(argv[1]) : 1000000;
    int qtArgc = 1;
    QApplication application(qtArgc, argv);
    platform::fake::ScopedRecordingPlatform platform;
    CClickerApp app;
    app.m_pMainWnd = &app.m_dlg;
    app.m_dlg.Create();
    app.m_dlg.show();
    CClickerDlg& dlg = app.m_dlg;
    const long before = peakKiB();

    QElapsedTimer timer;
    timer.start();
    CClickEntry entry;
    for (int i = 0; i < rows; ++i) {
        entry.m_x = static_cast<std::uint32_t>(i % 1920);
        entry.m_y = static_cast<std::uint32_t>(i % 1080);
        entry.m_clickType = i % 4;
        entry.m_cursorBack = i % 2;
        entry.m_delay = 100 + static_cast<std::uint32_t>(i % 900);
        dlg.InsertClickRow(-1, entry);
    }
    QApplication::processEvents(); // the scroll to the last row, and a paint
    const qint64 appendMs = timer.restart();

    std::uint64_t checksum = 0;
    for (int i = 0; i < rows; ++i) {
        CClickEntry back;
        dlg.ReadClickRow(i, back);
        checksum += back.m_x + back.m_y + back.m_delay + static_cast<std::uint64_t>(back.m_clickType);
    }
    const qint64 readMs = timer.elapsed();

    std::printf("rows                 %d\n", rows);
    std::printf("append               %lld ms\n", static_cast<long long>(appendMs));
    std::printf("read back            %lld ms\n", static_cast<long long>(readMs));
    std::printf("peak memory          %.1f MiB (%.1f MiB before the rows)\n", peakKiB() / 1024.0, before / 1024.0);
    std::printf("row store            %.1f MiB\n", dlg.m_list.Model()->store().memoryUsage() / 1048576.0);
    std::printf("checksum             %llu\n", static_cast<unsigned long long>(checksum));
    app.m_dlg.DestroyWindow();
    return 0;
}
