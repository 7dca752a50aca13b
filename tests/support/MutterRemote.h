// Looks at mutter's screen and uses its pointer as a person at the desk
// would, through mutter's own org.gnome.Mutter.ScreenCast and
// org.gnome.Mutter.RemoteDesktop interfaces, which ask nobody: a frame of
// the primary monitor comes through PipeWire (GStreamer's pipewiresrc), and
// the pointer moves relatively and presses its left button.
//
// With them it answers xdg-desktop-portal-gnome's "Remote desktop" dialog:
// it finds the dialog in a frame, switches "Allow remote interaction" on
// and presses Share. Keys sent through mutter do not reach that dialog.
// And GNOME Settings' "Add Keyboard Shortcuts" dialog of the global
// shortcuts portal: it presses Add.
#pragma once

#include <QDBusConnection>
#include <QImage>
#include <QObject>
#include <QPoint>
#include <QRect>
#include <QString>

#include <functional>
#include <optional>

namespace quorvel::test {

class GnomeSession;

// Where the dialog's controls are in a frame: the blue Share button, and
// the "Allow remote interaction" switch, found as the widest light-grey
// (off) or blue (on) pill at the dialog's right edge below the button.
struct ShareDialog {
    QRect share;
    QRect remoteSwitch;
    bool switchOn = false;
};
std::optional<ShareDialog> findShareDialog(const QImage& frame);
// The topmost blue button (Adwaita's accent) of a frame: Share, or Add; with
// `orPale`, one that cannot be pressed yet too.
std::optional<QRect> findBlueButton(const QImage& frame, bool orPale);

class MutterRemote final : public QObject {
    Q_OBJECT
public:
    explicit MutterRemote(const GnomeSession& session);
    ~MutterRemote() override;

    // Opens the screen cast and the remote desktop sessions.
    bool start();
    QString errorString() const { return m_error; }

    // A frame of the screen; nothing when none came within `timeoutMs` or
    // the grab broke down.
    std::optional<QImage> frame(int timeoutMs = 15000);
    // Saves what the screen shows now for whoever reads a failure: " (the
    // screen last showed <file>)", or nothing.
    QString keepScreen();
    // Moves the pointer to `p`.
    bool moveTo(const QPoint& p);
    // Moves the pointer to `p` and clicks the left button there.
    bool click(const QPoint& p);
    // Presses Linux key codes in order and releases them in reverse order,
    // as a keyboard's chord (29, 56, 25: Ctrl+Alt+P).
    bool pressKeys(const QList<uint>& keys);

    // Waits at most `timeoutMs` for the portal's dialog (of GNOME 43 or 48),
    // switches remote interaction on, presses Share and waits until the
    // dialog has gone.
    bool answerShareDialog(int timeoutMs);
    // Waits at most `timeoutMs` for the dialogs that confirm global
    // shortcuts (one per shortcut), presses Add in each and waits until
    // none has come for 3 s. The number of presses (a press that did not
    // take is repeated), 0 when there was no dialog to answer.
    int answerShortcutsDialogs(int timeoutMs);

private slots:
    void streamAdded(uint node);

private:
    // What a frame shows of a dialog: how it looks (to compare two frames),
    // where to click, and whether that click is the last.
    struct Answer {
        QList<QRect> looks;
        QPoint click;
        bool last = false;
    };
    bool answerDialog(const std::function<std::optional<Answer>(const QImage&)>& read, int timeoutMs, int goneForMs,
                      int* lastClicks = nullptr);
    QString keepLastFrame() const;
    bool call(const QString& path, const QString& interface, const QString& method, const QVariantList& arguments,
              QVariant* result = nullptr);

    const GnomeSession& m_session;
    QDBusConnection m_bus;
    QString m_screenCast;
    QString m_remoteDesktop;
    QString m_stream;
    uint m_node = 0;
    QImage m_lastFrame;
    QString m_error;
};

} // namespace quorvel::test
