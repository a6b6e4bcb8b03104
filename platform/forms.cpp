// TForm: window flags, placement, activation, modal showing and closing.
#include "platform/forms.h"

#include "platform/application.h"
#include "platform/formreader.h"
#include "platform/menus.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QGuiApplication>
#include <QMenuBar>
#include <QScreen>
#include <QWindow>
#include <QVBoxLayout>
#include <cstdio>
#include <cstdlib>
#include <ctime>

using namespace Qt::StringLiterals;

// The form's client area. It is also the top-level window unless the form has
// a menu bar, in which case a plain frame holds the bar above it.
class FormWindow : public ControlHost
{
public:
    explicit FormWindow(TForm *form) : ControlHost(form), m_form(form) {}

protected:
    bool event(QEvent *event) override
    {
        if (isWindow() && m_form->windowEvent(event))
            return true;
        return ControlHost::event(event);
    }
    void paintEvent(QPaintEvent *event) override
    {
        ControlHost::paintEvent(event);
        if (m_painted || !Application || Application->MainForm() != m_form)
            return;
        m_painted = true;
#ifdef KAVRO_BENCH_MARKS
        // The start-up benchmark's mark, on the monotonic clock it also reads.
        timespec now{};
        clock_gettime(CLOCK_MONOTONIC, &now);
        std::printf("first-paint %lld\n", qint64(now.tv_sec) * 1000000000LL + now.tv_nsec);
        std::fflush(stdout);
        // For profiling the start alone (callgrind): end right here.
        if (qEnvironmentVariableIsSet("KAVRO_EXIT_AT_FIRST_PAINT"))
            std::_Exit(0);
#endif
        Application->mainFormPaintedOnce();
    }
    void closeEvent(QCloseEvent *event) override
    {
        event->accept();
        m_form->windowEvent(event);
    }

private:
    TForm *m_form;
    bool m_painted = false;
};

class FormFrame : public QWidget
{
public:
    explicit FormFrame(TForm *form) : m_form(form) {}

protected:
    bool event(QEvent *event) override
    {
        if (m_form->windowEvent(event))
            return true;
        return QWidget::event(event);
    }
    void closeEvent(QCloseEvent *event) override
    {
        event->accept();
        m_form->windowEvent(event);
    }

private:
    TForm *m_form;
};

TForm::TForm(const QString &description, TComponent *owner)
    : TWinControl(owner), m_description(description)
{
    auto *w = new FormWindow(this);
    w->setProperty("kavroForm", QVariant::fromValue<QObject *>(this));
    setWidget(w);
    setColor(QColor(240, 240, 240));
    updateWindowFlags();
}

TForm::~TForm()
{
    // Components first, while the window that holds them still exists.
    DestroyComponents();
    delete m_frame;
}

void TForm::loadDescription()
{
    FormReader::read(this, m_description);
}

QWidget *TForm::window() const
{
    return m_frame ? m_frame : widget();
}

TForm *TForm::formOf(QWidget *window)
{
    for (QWidget *w = window; w; w = w->parentWidget()) {
        if (auto *form = qobject_cast<TForm *>(w->property("kavroForm").value<QObject *>()))
            return form;
    }
    return nullptr;
}

void TForm::setCaption(const QString &caption)
{
    TControl::setCaption(caption);
    updateWindowTitle();
}

void TForm::updateWindowTitle()
{
    // The main window stands for the whole program in the task bar, so its
    // native title is the application title; its Caption is program state.
    const bool isMain = Application && Application->MainForm() == this;
    window()->setWindowTitle(isMain ? Application->Title() : Caption());
}

void TForm::setClientWidth(int w)
{
    m_clientSize.setWidth(w);
    applyGeometry();
}

void TForm::setClientHeight(int h)
{
    m_clientSize.setHeight(h);
    applyGeometry();
}

void TForm::applyGeometry()
{
    QWidget *client = widget();
    if (!client)
        return;
    if (m_clientSize.isValid())
        client->setFixedSize(m_clientSize);
    if (m_frame)
        m_frame->adjustSize();
}

void TForm::setBorderStyle(TBorderStyle style)
{
    m_borderStyle = style;
    updateWindowFlags();
}

void TForm::updateWindowFlags()
{
    Qt::WindowFlags flags;
    switch (m_borderStyle) {
    case bsNone:
        flags = Qt::Window | Qt::FramelessWindowHint;
        break;
    case bsDialog:
        flags = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint;
        break;
    case bsToolWindow:
    case bsSizeToolWin:
        flags = Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint;
        break;
    default:
        flags = Qt::Window;
        break;
    }
    // Every window but the main one belongs to the main window: no task-bar
    // entry of its own, and it stays above the window that owns it.
    TForm *main = Application ? Application->MainForm() : nullptr;
    QWidget *owner = (main && main != this) ? main->window() : nullptr;
    if (owner && m_borderStyle != bsDialog && m_borderStyle != bsToolWindow && m_borderStyle != bsSizeToolWin)
        flags = (flags & ~Qt::WindowType_Mask) | Qt::Dialog;
    QWidget *w = window();
    const bool wasVisible = w->isVisible();
    w->setParent(owner, flags);
    if (wasVisible)
        w->show();
}

void TForm::setMenu(TMainMenu *menu)
{
    // The menu bar is made when the window is first shown: making one loads
    // the font database, which must not delay start-up.
    m_menu = menu;
}

void TForm::makeMenuFrame()
{
    if (!m_menu || m_frame)
        return;
    m_frame = new FormFrame(this);
    m_frame->setProperty("kavroForm", QVariant::fromValue<QObject *>(this));
    m_frame->setProperty("kavroControl", QVariant::fromValue<QObject *>(this));
    auto *layout = new QVBoxLayout(m_frame);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_menuBar = new QMenuBar(m_frame);
    m_menuBar->setNativeMenuBar(false);
    layout->setMenuBar(m_menuBar);
    QWidget *client = widget();
    const Qt::WindowModality modality = client->windowModality();
    client->setParent(m_frame);
    client->setWindowFlags(Qt::Widget);
    layout->addWidget(client);
    client->show();
    m_frame->setWindowModality(modality);
    m_menu->fillMenuBar(m_menuBar);
    updateWindowFlags();
    updateWindowTitle();
    applyGeometry();
}

void TForm::setModalResult(int result)
{
    m_modalResult = result;
    if (result != 0 && m_modalLoop)
        Close();
}

void TForm::Loaded()
{
    updateWindowFlags();
    updateWindowTitle();
}

void TForm::DoCreate()
{
    Application->dispatch([this] { fire("OnCreate"); });
}

QByteArray TForm::eventSignature(const QByteArray &event) const
{
    if (event == "OnCreate" || event == "OnActivate" || event == "OnShow" || event == "OnHide"
        || event == "OnDestroy")
        return kNotifySignature;
    return TWinControl::eventSignature(event);
}

void TForm::setVisible(bool visible)
{
    TControl::setVisible(visible);
    if (visible)
        makeMenuFrame();
    QWidget *w = window();
    if (!visible) {
        w->hide();
        return;
    }
    const bool first = !m_placed;
    if (first) {
        // Place the window at its first showing; afterwards it reappears where
        // it was last.
        m_placed = true;
        w->adjustSize();
        if (m_position == poDesigned) {
            w->move(Left(), Top());
        } else if (m_position == poScreenCenter || m_position == poDesktopCenter
                   || m_position == poMainFormCenter || m_position == poOwnerFormCenter) {
            QScreen *screen = QGuiApplication::primaryScreen();
            if (QWidget *active = QApplication::activeWindow())
                screen = active->screen();
            const QRect area = screen->availableGeometry();
            QRect frame(QPoint(0, 0), w->size());
            frame.moveCenter(area.center());
            w->move(frame.topLeft());
        }
    }
    for (TComponent *c : Components())
        if (auto *control = qobject_cast<TControl *>(c))
            control->BeforeShow();
    m_activatePending = true;
    w->show();
    w->raise();
    w->activateWindow();
    if (first && m_activeControl)
        m_activeControl->SetFocus();
}

int TForm::ShowModal()
{
    if (isModal() || window()->isVisible())
        throw EInvalidOperation(u"Cannot make a visible window modal"_s);
    m_modalResult = 0;
    window()->setWindowModality(Qt::ApplicationModal);
    QEventLoop loop;
    m_modalLoop = &loop;
    setVisible(true);
    loop.exec(QEventLoop::DialogExec);
    m_modalLoop = nullptr;
    setVisible(false);
    window()->setWindowModality(Qt::NonModal);
    return m_modalResult;
}

void TForm::Close()
{
    window()->close();
}

namespace {
// Moves a window with the pointer until the left button is released.
class MoveLoop : public QObject
{
public:
    // The move starts from where the button went down.
    explicit MoveLoop(QWidget *window)
        : m_window(window), m_startPointer(ControlHost::lastPressPos()), m_startWindow(window->pos())
    {
    }
    void run()
    {
        qApp->installEventFilter(this);
        m_window->grabMouse();
        m_loop.exec();
        m_window->releaseMouse();
        qApp->removeEventFilter(this);
    }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        switch (event->type()) {
        case QEvent::MouseMove: {
            const auto *e = static_cast<QMouseEvent *>(event);
            m_window->move(m_startWindow + (e->globalPosition().toPoint() - m_startPointer));
            return true;
        }
        case QEvent::MouseButtonRelease:
            if (static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton)
                m_loop.quit();
            return true;
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
            return true;
        case QEvent::KeyPress:
            // Esc drops the window back where the move began.
            if (static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape) {
                m_window->move(m_startWindow);
                m_loop.quit();
            }
            return true;
        case QEvent::WindowDeactivate:
        case QEvent::ApplicationStateChange:
            m_loop.quit();
            return false;
        default:
            return false;
        }
    }

private:
    QWidget *m_window;
    QPoint m_startPointer, m_startWindow;
    QEventLoop m_loop;
};
} // namespace

void TForm::SendMoveRequest()
{
    // The move follows the left button: after a right or middle press there is
    // nothing to follow, and the release that comes next still reaches us (so
    // a right-click on a drag region opens its menu).
    if (!(QGuiApplication::mouseButtons() & Qt::LeftButton) || !window()->isVisible())
        return;
    // On Wayland only the compositor can move a window. On X11 Qt 6.4 loses the
    // button release after the window manager's move and leaves the window
    // stuck to the pointer, so there, and whenever the compositor refuses, our
    // own loop moves the window; it works with or without a window manager.
    if (QGuiApplication::platformName().startsWith(u"wayland"_s) && window()->windowHandle()
        && window()->windowHandle()->startSystemMove())
        return;
    MoveLoop(window()).run();
}

bool TForm::windowEvent(QEvent *event)
{
    switch (event->type()) {
    case QEvent::WindowActivate:
        // The activation handler runs once per showing: coming back from a modal
        // window, a dialog or another program is no new activation.
        if (m_activatePending) {
            m_activatePending = false;
            // Run once Qt has finished with the activation: a handler that
            // makes windows (a web view) must not do so in the middle of it.
            QMetaObject::invokeMethod(
                this, [this] { Application->dispatch([this] { fire("OnActivate"); }); }, Qt::QueuedConnection);
        }
        return false;
    case QEvent::Close:
        TControl::setVisible(false);
        if (m_modalLoop)
            m_modalLoop->quit();
        if (Application->MainForm() == this)
            Application->Terminate();
        return false;
    default:
        return false;
    }
}
