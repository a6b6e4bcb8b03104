// TControl, TWinControl and ControlHost: geometry, painting in creation order and mouse routing.
#include "platform/controls.h"

#include "platform/application.h"
#include "platform/menus.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QCursor>
#include <QFontMetrics>
#include <QTimer>
#include <QMouseEvent>
#include <QPainter>

using namespace Qt::StringLiterals;

// --- TFont ------------------------------------------------------------------

void TFont::setName(const QString &name)
{
    m_name = name;
    Q_EMIT changed();
}

void TFont::setHeight(int height)
{
    m_height = height;
    Q_EMIT changed();
}

void TFont::setColor(const QColor &color)
{
    m_color = color;
    Q_EMIT changed();
}

void TFont::setStyle(const QStringList &style)
{
    m_style = style;
    Q_EMIT changed();
}

void TFont::assign(const TFont &other)
{
    m_name = other.m_name;
    m_height = other.m_height;
    m_color = other.m_color;
    m_style = other.m_style;
    m_charset = other.m_charset;
    Q_EMIT changed();
}

QString TFont::substitute(const QString &faceName)
{
    // The Windows face names our forms use are all plain sans-serif faces; the
    // closest font always installed here is DejaVu Sans. Looked up by name only:
    // asking the font database would load it on the way to the first paint.
    static const QStringList windowsFaces{u"System"_s, u"MS Sans Serif"_s, u"Tahoma"_s};
    return windowsFaces.contains(faceName) ? u"DejaVu Sans"_s : faceName;
}

void TFont::warmUp()
{
    // The bold "System" face and the regular one of the other names; the
    // engines themselves are per thread, the database and the matches are not.
    for (const QString &face : {u"System"_s, u"MS Sans Serif"_s}) {
        TFont font;
        font.setName(face);
        QFontMetrics(font.qfont()).horizontalAdvance(u"0%"_s);
    }
}

QFont TFont::qfont() const
{
    QFont f(substitute(m_name));
    // Negative heights are character heights (the em), positive ones cell heights.
    if (m_height < 0) {
        f.setPixelSize(-m_height);
    } else if (m_height > 0) {
        f.setPixelSize(qMax(1, m_height * 13 / 16));
    }
    // The Windows "System" face is a bold one.
    f.setBold(m_style.contains(u"fsBold"_s) || m_name == u"System"_s);
    f.setItalic(m_style.contains(u"fsItalic"_s));
    f.setUnderline(m_style.contains(u"fsUnderline"_s));
    f.setStrikeOut(m_style.contains(u"fsStrikeOut"_s));
    f.setHintingPreference(QFont::PreferFullHinting);
    return f;
}

// --- TControl ----------------------------------------------------------------

TControl::TControl(TComponent *owner) : TComponent(owner), m_font(new TFont(this))
{
    connect(m_font, &TFont::changed, this, [this] {
        m_parentFont = false;
        fontChanged();
    });
}

TControl::~TControl()
{
    if (m_parent) {
        m_parent->m_controls.removeOne(this);
        if (!isWindowed() && m_visible)
            m_parent->InvalidateRect(m_bounds);
    }
}

void TControl::SetBounds(int left, int top, int width, int height)
{
    const QRect old = m_bounds;
    m_bounds = QRect(left, top, width, height);
    if (m_parent && !isWindowed() && m_visible && old != m_bounds) {
        m_parent->InvalidateRect(old);
        m_parent->InvalidateRect(m_bounds);
    }
}

void TControl::setVisible(bool visible)
{
    if (m_visible == visible)
        return;
    m_visible = visible;
    if (m_parent && !isWindowed())
        m_parent->InvalidateRect(m_bounds);
}

void TControl::setEnabled(bool enabled)
{
    m_enabled = enabled;
    Invalidate();
}

void TControl::setColor(const QColor &color)
{
    m_color = color;
    Invalidate();
}

void TControl::setParentFont(bool v)
{
    m_parentFont = v;
    if (v && m_parent) {
        QSignalBlocker block(m_font);
        m_font->assign(*m_parent->Font());
        fontChanged();
    }
}

void TControl::setCaption(const QString &caption)
{
    m_caption = caption;
    Invalidate();
}

void TControl::setParent(TWinControl *parent)
{
    if (m_parent == parent)
        return;
    if (m_parent) {
        m_parent->m_controls.removeOne(this);
        m_parent->InvalidateRect(m_bounds);
    }
    m_parent = parent;
    if (parent) {
        parent->m_controls.append(this);
        if (m_parentFont) {
            QSignalBlocker block(m_font);
            m_font->assign(*parent->Font());
        }
        Invalidate();
    }
}

void TControl::Invalidate()
{
    if (m_parent && m_visible)
        m_parent->InvalidateRect(m_bounds);
}

QByteArray TControl::eventSignature(const QByteArray &event) const
{
    if (event == "OnClick" || event == "OnDblClick" || event == "OnMouseEnter"
        || event == "OnMouseLeave")
        return kNotifySignature;
    if (event == "OnMouseDown" || event == "OnMouseUp")
        return kMouseSignature;
    return TComponent::eventSignature(event);
}

void TControl::MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y)
{
    fire("OnMouseDown", button, shift, x, y);
}

void TControl::MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y)
{
    fire("OnMouseUp", button, shift, x, y);
}

void TControl::Click()
{
    fire("OnClick");
}

void TControl::MouseEnter()
{
    fire("OnMouseEnter");
}

void TControl::MouseLeave()
{
    fire("OnMouseLeave");
}

// --- TWinControl -------------------------------------------------------------

TWinControl::TWinControl(TComponent *owner) : TControl(owner) {}

TWinControl::~TWinControl()
{
    // Owned components go while this window still exists, so each takes its
    // own widget down itself.
    DestroyComponents();
    for (TControl *c : std::as_const(m_controls))
        c->m_parent = nullptr;
    delete m_widget.data();
}

void TWinControl::setWidget(QWidget *widget)
{
    m_widget = widget;
    widget->setProperty("kavroControl", QVariant::fromValue<QObject *>(this));
    widget->setObjectName(Name());
    connect(this, &QObject::objectNameChanged, widget, [widget](const QString &name) { widget->setObjectName(name); });
    applyGeometry();
    widget->setVisible(false);
}

TControl *TWinControl::ControlAtPos(QPoint pos, bool enabledOnly) const
{
    for (auto it = m_controls.crbegin(); it != m_controls.crend(); ++it) {
        TControl *c = *it;
        if (c->isWindowed() || !c->Visible() || (enabledOnly && !c->Enabled()))
            continue;
        if (c->BoundsRect().contains(pos))
            return c;
    }
    return nullptr;
}

void TWinControl::SetBounds(int left, int top, int width, int height)
{
    TControl::SetBounds(left, top, width, height);
    applyGeometry();
}

void TWinControl::applyGeometry()
{
    if (m_widget)
        m_widget->setGeometry(BoundsRect());
}

void TWinControl::setVisible(bool visible)
{
    TControl::setVisible(visible);
    if (m_widget && Parent())
        m_widget->setVisible(visible);
}

void TWinControl::setEnabled(bool enabled)
{
    TControl::setEnabled(enabled);
    if (m_widget)
        m_widget->setEnabled(enabled);
}

void TWinControl::setParent(TWinControl *parent)
{
    TControl::setParent(parent);
    if (m_widget) {
        m_widget->setParent(parent ? parent->widget() : nullptr);
        applyGeometry();
        m_widget->setVisible(parent && Visible());
        if (parent)
            parent->applyTabOrder();
    }
}

void TWinControl::Invalidate()
{
    if (m_widget)
        m_widget->update();
}

void TWinControl::InvalidateRect(const QRect &rect)
{
    if (m_widget)
        m_widget->update(rect);
}

bool TWinControl::insertChild(TComponent *child)
{
    // Controls are placed on this one; other components only live in its block.
    if (auto *control = qobject_cast<TControl *>(child))
        control->setParent(this);
    return true;
}

void TWinControl::setTabOrder(int order)
{
    m_tabOrder = order;
    if (Parent())
        Parent()->applyTabOrder();
}

void TWinControl::setTabStop(bool stop)
{
    m_tabStop = stop;
    if (m_widget)
        m_widget->setFocusPolicy(stop ? Qt::StrongFocus : Qt::NoFocus);
}

void TWinControl::applyTabOrder()
{
    QList<TWinControl *> order;
    for (TControl *c : std::as_const(m_controls))
        if (auto *w = qobject_cast<TWinControl *>(c); w && w->widget())
            order.append(w);
    std::stable_sort(order.begin(), order.end(), [](TWinControl *a, TWinControl *b) {
        return a->TabOrder() < b->TabOrder();
    });
    for (qsizetype i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order[i - 1]->widget(), order[i]->widget());
}

void TWinControl::SetFocus()
{
    if (m_widget)
        m_widget->setFocus(Qt::OtherFocusReason);
}

bool TWinControl::Focused() const
{
    return m_widget && m_widget->hasFocus();
}

void TWinControl::fontChanged()
{
    for (TControl *c : std::as_const(m_controls))
        if (c->ParentFont())
            c->setParentFont(true);
    if (m_widget)
        m_widget->setFont(Font()->qfont());
    Invalidate();
}

void TWinControl::paintClient(QPainter &painter, const QRect &dirty)
{
    painter.fillRect(dirty, Color());
    const QRect client(QPoint(0, 0), m_widget ? m_widget->size() : BoundsRect().size());
    for (TControl *c : std::as_const(m_controls)) {
        if (c->isWindowed() || !c->Visible())
            continue;
        const QRect box = c->BoundsRect() & client;
        if (!box.intersects(dirty))
            continue;
        painter.save();
        painter.setClipRect(box & dirty);
        painter.translate(c->BoundsRect().topLeft());
        c->Paint(painter);
        painter.restore();
    }
}

// --- ControlHost -------------------------------------------------------------

namespace {
QList<ControlHost *> &allHosts()
{
    static QList<ControlHost *> hosts;
    return hosts;
}
} // namespace

ControlHost::ControlHost(TWinControl *control, QWidget *parent)
    : QWidget(parent), m_control(control)
{
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    allHosts().append(this);
}

ControlHost::~ControlHost()
{
    allHosts().removeOne(this);
}

void ReleaseCapture()
{
    ControlHost::cancelAllCaptures();
}

void ControlHost::cancelAllCaptures()
{
    for (ControlHost *host : std::as_const(allHosts()))
        host->cancelCapture();
}

void ControlHost::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    m_control->paintClient(painter, event->rect());
}

void ControlHost::cancelCapture()
{
    m_capture = nullptr;
    m_captureIsHost = false;
}

namespace {
QPoint g_lastPressPos;
} // namespace

QPoint ControlHost::lastPressPos()
{
    return g_lastPressPos;
}

void ControlHost::press(QMouseEvent *event, bool doubleClick)
{
    const QPoint pos = event->position().toPoint();
    g_lastPressPos = event->globalPosition().toPoint();
    const Qt::MouseButton button = event->button();
    Application->dispatch([&] {
        TControl *target = m_control->ControlAtPos(pos);
        if (button == Qt::LeftButton) {
            // A left press captures the mouse for the control under it, or for
            // the window itself on a bare spot.
            m_capture = target;
            m_captureIsHost = !target;
            m_doubleClickRelease = doubleClick;
        }
        if (target)
            target->MouseDown(button, event->modifiers(), pos.x() - target->Left(),
                              pos.y() - target->Top());
    });
}

void ControlHost::mousePressEvent(QMouseEvent *event)
{
    press(event, false);
}

void ControlHost::mouseDoubleClickEvent(QMouseEvent *event)
{
    // The second press of a double click arrives as this event alone.
    press(event, true);
}

void ControlHost::mouseReleaseEvent(QMouseEvent *event)
{
    const QPoint pos = event->position().toPoint();
    const QPoint globalPos = event->globalPosition().toPoint();
    const Qt::MouseButton button = event->button();
    Application->dispatch([&] {
        if (button == Qt::LeftButton) {
            if (!m_capture && !m_captureIsHost)
                return;
            // The capture ends first; the click runs only for a release inside
            // the captured control's own box, and never for the second release
            // of a double click.
            QPointer<TControl> target = m_capture;
            const bool wasDouble = m_doubleClickRelease;
            m_capture = nullptr;
            m_captureIsHost = false;
            m_doubleClickRelease = false;
            // The next movement compares with the control that held the capture.
            m_hover = target;
            if (!target)
                return;
            const QPoint local = pos - target->BoundsRect().topLeft();
            if (!wasDouble && QRect(QPoint(0, 0), target->BoundsRect().size()).contains(local))
                target->Click();
            if (target)
                target->MouseUp(button, event->modifiers(), local.x(), local.y());
            // Released outside the window: the control keeps the look its
            // release gave it until the pointer moves again, which no event
            // of this window will tell.
            if (!rect().contains(pos))
                watchPointerFrom(globalPos);
            return;
        }
        // Other buttons hold no capture: the release goes to whatever is under the pointer.
        if (TControl *target = m_control->ControlAtPos(pos))
            target->MouseUp(button, event->modifiers(), pos.x() - target->Left(),
                            pos.y() - target->Top());
        if (button == Qt::RightButton)
            popupAt(pos, globalPos);
    });
}

void ControlHost::mouseMoveEvent(QMouseEvent *event)
{
    if (m_pointerWatch)
        m_pointerWatch->stop();
    const QPoint pos = event->position().toPoint();
    Application->dispatch([&] { trackHover(pos); });
}

void ControlHost::trackHover(QPoint pos)
{
    // While a capture is held nobody is told the pointer came or went.
    if (m_capture || m_captureIsHost)
        return;
    TControl *now = m_control->ControlAtPos(pos);
    if (now == m_hover)
        return;
    QPointer<TControl> old = m_hover;
    m_hover = now;
    if (old)
        old->MouseLeave();
    if (now)
        now->MouseEnter();
}

void ControlHost::watchPointerFrom(QPoint globalPos)
{
    m_releasedAt = globalPos;
    if (!m_pointerWatch) {
        m_pointerWatch = new QTimer(this);
        m_pointerWatch->setInterval(50);
        connect(m_pointerWatch, &QTimer::timeout, this, [this] {
            if (QCursor::pos() == m_releasedAt)
                return;
            m_pointerWatch->stop();
            // Back over the window, its own movement events take over.
            if (rect().contains(mapFromGlobal(QCursor::pos())) || m_capture || m_captureIsHost)
                return;
            leaveHovered();
        });
    }
    m_pointerWatch->start();
}

void ControlHost::leaveEvent(QEvent *)
{
    // While a capture is held nobody is told; and a modal box that opens over
    // the window is no movement of the pointer: the control keeps its look
    // until the pointer really moves. Nor is the end of a capture outside
    // the window (the pointer watch tells when the pointer moves on).
    if (m_capture || m_captureIsHost)
        return;
    if (m_pointerWatch && m_pointerWatch->isActive())
        return;
    if (QWidget *modal = QApplication::activeModalWidget(); modal && modal != window())
        return;
    if (rect().contains(mapFromGlobal(QCursor::pos())))
        return;
    leaveHovered();
}

void ControlHost::leaveHovered()
{
    Application->dispatch([&] {
        QPointer<TControl> old = m_hover;
        m_hover = nullptr;
        if (old)
            old->MouseLeave();
    });
}

void ControlHost::contextMenuEvent(QContextMenuEvent *event)
{
    // Mouse requests are raised by our own right-button release handling; only
    // the keyboard's request (no position) arrives here, and opens the window's
    // menu at the client area's top-left corner.
    if (event->reason() == QContextMenuEvent::Mouse) {
        event->accept();
        return;
    }
    Application->dispatch([&] {
        if (TWinControl *owner = menuOwner())
            owner->PopupMenu()->Popup(owner->widget()->mapToGlobal(QPoint(0, 0)));
    });
}

// A menu that opens by itself on a request, or nullptr.
static TPopupMenu *autoMenu(const TControl *c)
{
    TPopupMenu *menu = c->PopupMenu();
    return menu && menu->AutoPopup() ? menu : nullptr;
}

TWinControl *ControlHost::menuOwner() const
{
    // This window, then its parents, offer their own menu.
    for (TWinControl *c = m_control; c; c = c->Parent())
        if (autoMenu(c))
            return c;
    return nullptr;
}

bool ControlHost::popupAt(QPoint clientPos, QPoint globalPos)
{
    TPopupMenu *menu = nullptr;
    if (TControl *c = m_control->ControlAtPos(clientPos, true))
        menu = autoMenu(c);
    if (!menu)
        if (TWinControl *owner = menuOwner())
            menu = owner->PopupMenu();
    if (menu)
        menu->Popup(globalPos);
    return menu != nullptr;
}
