// The player on a Wayland compositor (weston, headless): it runs natively,
// with no X server at all, its window maps with the skin drawn, and it ends
// with exit code 0 when the session closes it.
#include "../common/testmain.h"
#include "../common/xtools.h"
#include "platform/graphics.h"

#include <QDir>
#include <QFile>
#include <QProcessEnvironment>
#include <QTest>

#include <csignal>

using namespace Qt::StringLiterals;

namespace {
const QString kSocket = u"kavro-test"_s;

// Where the title picture's top row (640 pixels of its outline colour) shows
// in a screenshot, at least 300 of them (weston places new windows at random,
// partly off the output at times); (-1, -1) when it does not.
QPoint findTitle(const QImage &shot, QRgb outline)
{
    for (int y = 0; y < shot.height(); ++y) {
        int run = 0;
        for (int x = 0; x < shot.width(); ++x) {
            run = shot.pixel(x, y) == outline ? run + 1 : 0;
            if (run == 300)
                return QPoint(x - 299, y);
        }
    }
    return QPoint(-1, -1);
}
} // namespace

class TestWayland : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_runtime;
    QProcess m_weston;

    QProcessEnvironment clientEnvironment() const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(u"DISPLAY"_s);
        env.remove(u"QT_QPA_PLATFORM"_s);
        env.insert(u"XDG_RUNTIME_DIR"_s, m_runtime.path());
        env.insert(u"WAYLAND_DISPLAY"_s, kSocket);
        if (::getuid() == 0)
            env.insert(u"QTWEBENGINE_DISABLE_SANDBOX"_s, u"1"_s);
        return env;
    }

    // A screenshot of the compositor's output (weston's screenshooter, allowed by --debug).
    QImage screenshot()
    {
        QProcess shooter;
        shooter.setProcessEnvironment(clientEnvironment());
        shooter.setWorkingDirectory(m_runtime.path());
        shooter.start(u"weston-screenshooter"_s, {});
        if (!shooter.waitForFinished(5000)) {
            shooter.kill();
            shooter.waitForFinished();
        }
        QImage shot;
        QDir dir(m_runtime.path());
        for (const QString &file : dir.entryList({u"wayland-screenshot*.png"_s})) {
            shot = QImage(dir.filePath(file)).convertToFormat(QImage::Format_RGB32);
            QFile::remove(dir.filePath(file));
        }
        return shot;
    }

private Q_SLOTS:
    void initTestCase()
    {
        TPicture::RegisterPngAndJpeg();
        QVERIFY(m_runtime.isValid());
        QFile::setPermissions(m_runtime.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        QProcessEnvironment env = clientEnvironment();
        env.remove(u"WAYLAND_DISPLAY"_s);
        m_weston.setProcessEnvironment(env);
        m_weston.setProcessChannelMode(QProcess::MergedChannels);
        m_weston.start(u"weston"_s, {u"--backend=headless-backend.so"_s, u"--use-pixman"_s, u"--socket="_s + kSocket,
                                     u"--idle-time=0"_s, u"--debug"_s, u"--width=1920"_s, u"--height=1200"_s});
        QVERIFY2(m_weston.waitForStarted(), "weston did not start");
        QVERIFY2(xt::waitFor([&] { return QFile::exists(m_runtime.filePath(kSocket)); }),
                 m_weston.readAll().constData());
    }

    void cleanupTestCase()
    {
        m_weston.terminate();
        if (!m_weston.waitForFinished(5000))
            m_weston.kill();
        m_weston.waitForFinished();
    }

    void mapsNativelyAndEndsOnClose()
    {
        QProcess player;
        player.setProcessEnvironment(clientEnvironment());
        player.start(QStringLiteral(KAVRO_APP), {});
        QVERIFY(player.waitForStarted());

        const QRgb outline = TPicture::fromResource(u"title.png"_s).pixel(320, 0);
        QImage shot;
        const bool mapped = xt::waitFor([&] {
            shot = screenshot();
            return findTitle(shot, outline).x() >= 0;
        }, 30000);
        QVERIFY2(mapped, player.readAllStandardError().left(2000).constData());

        // Qt's Wayland client is what draws it; no X11 platform is loaded.
        QFile maps(u"/proc/%1/maps"_s.arg(player.processId()));
        QVERIFY(maps.open(QIODevice::ReadOnly));
        const QByteArray mapped_libraries = maps.readAll();
        QVERIFY(mapped_libraries.contains("libQt6WaylandClient"));
        QVERIFY(!mapped_libraries.contains("libqxcb"));

        // The gauge beside the buttons: its black frame and white inside.
        const QPoint title = findTitle(shot, outline);
        if (title.x() > 0 && title.y() + 60 < shot.height() && title.x() + 200 < shot.width()) {
            QCOMPARE(shot.pixel(title + QPoint(175, 31)), qRgb(0, 0, 0));
            QCOMPARE(shot.pixel(title + QPoint(200, 34)), qRgb(255, 255, 255));
        }

        // The session ends: the window closes as its own close command does.
        ::kill(pid_t(player.processId()), SIGTERM);
        QVERIFY(player.waitForFinished(15000));
        QCOMPARE(player.exitStatus(), QProcess::NormalExit);
        QCOMPARE(player.exitCode(), 0);
    }
};

KAVRO_TEST_MAIN(TestWayland)
#include "test_wayland.moc"
