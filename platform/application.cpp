// TApplication: start-up, the dispatch point, error boxes, shortcut search and orderly end.
#include "platform/application.h"

#include "platform/accessibility.h"
#include "platform/forms.h"
#include "platform/graphics.h"
#include "platform/menus.h"
#include "platform/stdctrls.h"

#include <QFileInfo>
#include <fontconfig/fontconfig.h>
#include <future>
#include <mutex>
#include <QKeyEvent>
#include <QMessageBox>
#include <QSocketNotifier>
#include <QTimer>
#include <dlfcn.h>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <sys/socket.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

TApplication *Application = nullptr;

namespace {
// A signal handler may only write to a descriptor; the event loop reads the
// other end and acts there.
int signalPipe[2] = {-1, -1};

void onTerminationSignal(int)
{
    const int saved = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(signalPipe[1], &byte, 1);
    errno = saved;
}
} // namespace

namespace {
// Fonts are made ready on the other core while the main thread starts Qt and
// builds the windows: reading the font configuration and resolving the faces
// the forms use take several milliseconds that the first text painted (the
// gauge's "0%") would otherwise wait for. The font configuration needs no Qt;
// the font database waits until the application object exists.
std::thread fontWarmUp;
std::promise<void> applicationReady;
} // namespace

void TApplication::prepare()
{
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    if (!fontWarmUp.joinable())
        fontWarmUp = std::thread([ready = applicationReady.get_future()]() mutable {
            FcInit();
            ready.wait();
            TFont::warmUp();
        });
}

TApplication::TApplication(int &argc, char **argv) : m_qapp(argc, argv)
{
    Application = this;
    static std::once_flag told;
    if (fontWarmUp.joinable())
        std::call_once(told, [] { applicationReady.set_value(); });
    // The program ends when its main window closes, not when the last one does.
    m_qapp.setQuitOnLastWindowClosed(false);
    m_qapp.installEventFilter(this);
    registerStandardComponents();
    installAccessibility();
    // The application icon is the picture stored as MAINICON.
    try {
        m_icon = QIcon(QPixmap::fromImage(TPicture::fromResource(u"mainicon.bmp"_s)));
        m_qapp.setWindowIcon(m_icon);
    } catch (const Exception &) {
        // A program without an icon still runs.
    }
}

TApplication::~TApplication()
{
    if (fontWarmUp.joinable())
        fontWarmUp.join();
    destroyForms();
    m_qapp.removeEventFilter(this);
    Application = nullptr;
}

void TApplication::closeOnTerminationSignals()
{
    if (signalPipe[0] < 0 && ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, signalPipe) != 0)
        return; // Without the pipe the signals keep their default action.
    auto *notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, [this] {
        char bytes[16];
        while (::read(signalPipe[0], bytes, sizeof bytes) > 0) {
        }
        // A closed main window ends every loop, modal ones too.
        if (m_mainForm && m_mainForm->Visible())
            m_mainForm->Close();
        else
            Terminate();
    });
    struct sigaction action = {};
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int sig : {SIGTERM, SIGINT, SIGHUP})
        ::sigaction(sig, &action, nullptr);
}

void TApplication::setTitle(const QString &title)
{
    m_title = title;
    m_qapp.setApplicationDisplayName(QString());
    m_qapp.setApplicationName(title);
}

void TApplication::adoptForm(TForm *form)
{
    m_forms.append(form);
    if (!m_mainForm)
        m_mainForm = form;
    form->loadDescription();
    form->DoCreate();
}

int TApplication::start(const std::function<void()> &steps)
{
    try {
        steps();
    } catch (const Exception &e) {
        const QString text = startupErrorText(e);
        std::fputs(text.toLocal8Bit().constData(), stderr);
        QMessageBox box(QMessageBox::Critical, u"Application Error"_s, text, QMessageBox::Ok);
        box.setWindowModality(Qt::ApplicationModal);
        box.exec();
        destroyForms();
        return 1;
    }
    if (m_mainForm)
        m_mainForm->setVisible(true);
    closeOnTerminationSignals();
    m_qapp.exec();
    destroyForms();
    return 0;
}

void TApplication::destroyForms()
{
    // The last created first.
    while (!m_forms.isEmpty())
        delete m_forms.takeLast();
    m_mainForm = nullptr;
}

void TApplication::mainFormPaintedOnce()
{
    if (m_painted)
        return;
    m_painted = true;
    Q_EMIT mainFormPainted();
}

void TApplication::Terminate()
{
    // Posted, so the loop ends once it reaches the request.
    QMetaObject::invokeMethod(&m_qapp, &QCoreApplication::quit, Qt::QueuedConnection);
}

QString TApplication::errorBoxText(const Exception &e)
{
    QString text = e.message();
    for (const Exception *inner = e.inner(); inner; inner = inner->inner())
        if (!inner->message().isEmpty())
            text = inner->message();
    if (!text.isEmpty() && text.back().unicode() > u'.')
        text += u'.';
    return text;
}

QString TApplication::startupErrorText(const Exception &e)
{
    // The raising address relative to the start of the module that holds it.
    quintptr address = reinterpret_cast<quintptr>(e.address());
    Dl_info info{};
    if (address && dladdr(e.address(), &info) && info.dli_fbase)
        address -= reinterpret_cast<quintptr>(info.dli_fbase);
    QString message = e.message();
    if (!message.isEmpty() && !message.endsWith(u'.'))
        message += u'.';
    const QString module = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
    return u"Exception %1 in module %2 at %3.\r\n%4\r\n"_s.arg(
        e.className(), module, u"%1"_s.arg(quint32(address), 8, 16, QLatin1Char('0')).toUpper(),
        message);
}

void TApplication::HandleException(const Exception &e) noexcept
{
    // Whoever holds the mouse capture is told to cancel its mode first.
    ControlHost::cancelAllCaptures();
    if (dynamic_cast<const EAbort *>(&e))
        return;
    try {
        ShowException(e);
    } catch (...) {
        std::fputs("kavro: could not show an error box\n", stderr);
    }
}

void TApplication::ShowException(const Exception &e)
{
    QWidget *owner = QApplication::activeWindow();
    const QString text = errorBoxText(e);
    // Also on the standard error stream, where the desktop's log keeps it.
    std::fprintf(stderr, "kavro: %s\n", text.toLocal8Bit().constData());
    std::fflush(stderr);
    QMessageBox box(QMessageBox::Critical, m_title, text, QMessageBox::Ok, owner);
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
}

bool TApplication::eventFilter(QObject *watched, QEvent *event)
{
    // Before a key is handled anywhere else it is offered to the popup menus on
    // the way from the focused control up to its window.
    const auto type = event->type();
    if (type != QEvent::ShortcutOverride && type != QEvent::KeyPress)
        return QObject::eventFilter(watched, event);
    auto *widget = qobject_cast<QWidget *>(watched);
    QWidget *focus = QApplication::focusWidget();
    if (!widget || (focus ? widget != focus : !widget->isWindow()))
        return QObject::eventFilter(watched, event);
    auto *keyEvent = static_cast<QKeyEvent *>(event);
    const int key = keyEvent->key();
    if (key == 0 || key == Qt::Key_unknown || key == Qt::Key_Shift || key == Qt::Key_Control
        || key == Qt::Key_Alt || key == Qt::Key_Meta || key == Qt::Key_AltGr)
        return QObject::eventFilter(watched, event);
    const auto mods = keyEvent->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    const QKeySequence sequence(QKeyCombination(mods, Qt::Key(key)));
    for (QWidget *w = widget; w; w = w->isWindow() ? nullptr : w->parentWidget()) {
        auto *control = qobject_cast<TControl *>(w->property("kavroControl").value<QObject *>());
        TPopupMenu *menu = control ? control->PopupMenu() : nullptr;
        if (!menu || !menu->Items()->FindShortCut(sequence))
            continue;
        // ShortcutOverride only claims the key, so that Qt's own shortcuts leave it to us.
        if (type == QEvent::KeyPress)
            dispatch([&] { menu->IsShortCut(sequence); });
        event->accept();
        return true;
    }
    return QObject::eventFilter(watched, event);
}
