// TMediaPlayer: device operations, automatic enabling, and the classic button bar's drawing and input.
#include "platform/mplayer.h"

#include "platform/application.h"
#include "platform/exceptions.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QStyleOptionFocusRect>

using namespace Qt::StringLiterals;

namespace {
// The bar's buttons in their fixed left-to-right order.
constexpr TMediaPlayer::TMPBtnType kOrder[] = {
    TMediaPlayer::btPlay, TMediaPlayer::btPause, TMediaPlayer::btStop, TMediaPlayer::btNext,
    TMediaPlayer::btPrev, TMediaPlayer::btStep,  TMediaPlayer::btBack, TMediaPlayer::btRecord,
    TMediaPlayer::btEject};
constexpr int kButtonWidth = 29;
constexpr int kButtonStep = 28;
} // namespace

TMediaPlayer::TMediaPlayer(TComponent *owner)
    : TWinControl(owner), m_device(new MediaDevice(this)), m_bar(new MediaPlayerBar(this))
{
    setWidget(m_bar);
    setTabStop(true);
    connect(m_device, &MediaDevice::notify, this, [this](MediaDevice::NotifyValue value) {
        Application->dispatch([&] { deviceNotified(value); });
    });
}

TMediaPlayer::~TMediaPlayer()
{
    // Destroying the component closes the device.
    m_device->close();
}

void TMediaPlayer::setVisibleButtons(TButtonSet set)
{
    m_visibleButtons = set;
    m_bar->update();
}

void TMediaPlayer::setEnabledButtons(TButtonSet set)
{
    m_enabledButtons = set;
    m_bar->update();
}

void TMediaPlayer::setColoredButtons(TButtonSet set)
{
    m_coloredButtons = set;
    m_bar->update();
}

void TMediaPlayer::setButtonEnabled(TMPBtnType button, bool on)
{
    m_autoEnabled.setFlag(button, on);
    m_bar->update();
}

void TMediaPlayer::requireOpen() const
{
    if (!m_device->isOpen())
        throw EMCIDeviceError(MediaDevice::errorText(MediaDevice::DeviceNotOpen));
}

void TMediaPlayer::Open()
{
    m_device->close();
    m_device->open(m_fileName);
    m_everOpened = true;
    if (m_autoEnable) {
        const bool canPlay = m_device->canPlay();
        setButtonEnabled(btPlay, canPlay);
        setButtonEnabled(btPause, false);
        setButtonEnabled(btStop, false);
        setButtonEnabled(btNext, true);
        setButtonEnabled(btPrev, true);
        if (m_device->mode() == MediaDevice::Playing) {
            setButtonEnabled(btPlay, false);
            setButtonEnabled(btPause, true);
            setButtonEnabled(btStop, true);
        }
    }
}

void TMediaPlayer::Close()
{
    m_device->close();
}

int TMediaPlayer::Length() const
{
    requireOpen();
    return m_device->length();
}

int TMediaPlayer::Position() const
{
    return m_device->position();
}

TMediaPlayer::TMPModes TMediaPlayer::Mode() const
{
    requireOpen();
    return m_device->mode();
}

void TMediaPlayer::Play()
{
    requireOpen();
    m_device->play(m_autoRewind);
}

void TMediaPlayer::Pause()
{
    requireOpen();
    switch (m_device->mode()) {
    case MediaDevice::Playing:
        m_device->pause();
        break;
    case MediaDevice::Paused:
        Resume();
        break;
    default:
        break;
    }
}

void TMediaPlayer::Resume()
{
    requireOpen();
    if (!m_device->resume())
        m_device->play(m_autoRewind);
}

void TMediaPlayer::Stop()
{
    requireOpen();
    m_device->stop();
}

void TMediaPlayer::Next()
{
    requireOpen();
    m_device->seekToEnd();
}

void TMediaPlayer::Previous()
{
    requireOpen();
    m_device->seekToStart();
}

void TMediaPlayer::ClickButton(TMPBtnType button)
{
    // Each button acts on the device directly and then, when the device took
    // it, updates the bar's own set of enabled buttons.
    requireOpen();
    bool ok = true;
    switch (button) {
    case btPlay:
        ok = m_device->play(m_autoRewind);
        if (ok && m_autoEnable) {
            setButtonEnabled(btPlay, false);
            setButtonEnabled(btPause, true);
            setButtonEnabled(btStop, true);
        }
        return;
    case btPause:
        if (m_device->mode() == MediaDevice::Playing)
            ok = m_device->pause();
        else if (m_device->mode() == MediaDevice::Paused)
            ok = m_device->resume() || m_device->play(m_autoRewind);
        if (ok && m_autoEnable)
            setButtonEnabled(btPlay, m_device->canPlay());
        return;
    case btStop:
        ok = m_device->stop();
        break;
    case btNext:
        ok = m_device->seekToEnd();
        break;
    case btPrev:
        ok = m_device->seekToStart();
        break;
    default:
        return;
    }
    if (ok && m_autoEnable) {
        setButtonEnabled(btPlay, m_device->canPlay());
        setButtonEnabled(btPause, false);
        setButtonEnabled(btStop, false);
    }
}

void TMediaPlayer::deviceNotified(MediaDevice::NotifyValue)
{
    if (m_autoEnable && m_device->isOpen() && m_device->mode() == MediaDevice::Stopped) {
        setButtonEnabled(btPlay, m_device->canPlay());
        setButtonEnabled(btPause, false);
        setButtonEnabled(btStop, false);
    }
}

// --- the classic button bar ---------------------------------------------------

MediaPlayerBar::MediaPlayerBar(TMediaPlayer *player) : m_player(player)
{
    setFocusPolicy(Qt::StrongFocus);
}

QList<TMediaPlayer::TMPBtnType> MediaPlayerBar::buttons() const
{
    QList<TMediaPlayer::TMPBtnType> list;
    for (auto b : kOrder)
        if (m_player->m_visibleButtons.testFlag(b))
            list << b;
    return list;
}

QRect MediaPlayerBar::buttonRect(int index) const
{
    return QRect(index * kButtonStep, 0, kButtonWidth, height());
}

bool MediaPlayerBar::isButtonEnabled(TMediaPlayer::TMPBtnType button) const
{
    if (!m_player->m_enabledButtons.testFlag(button) || !m_player->Enabled())
        return false;
    // With automatic enabling the bar's own set decides; nothing is on before a medium is open.
    return !m_player->m_autoEnable || m_player->m_autoEnabled.testFlag(button);
}

int MediaPlayerBar::indexAt(QPoint pos) const
{
    const auto list = buttons();
    for (int i = int(list.size()) - 1; i >= 0; --i)
        if (buttonRect(i).contains(pos))
            return i;
    return -1;
}

void MediaPlayerBar::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    const auto list = buttons();
    const QPalette pal = palette();
    p.fillRect(rect(), pal.color(QPalette::Button));
    for (int i = 0; i < list.size(); ++i) {
        const QRect r = buttonRect(i);
        const bool sunken = i == m_pressed && m_pressedDown;
        const bool enabled = isButtonEnabled(list[i]);
        // A raised or sunken frame with neighbours sharing their border line.
        p.fillRect(r, pal.color(QPalette::Button));
        p.setPen(Qt::black);
        p.drawRect(r.adjusted(0, 0, -1, -1));
        const QRect in = r.adjusted(1, 1, -2, -2);
        p.setPen(sunken ? pal.color(QPalette::Mid) : pal.color(QPalette::Light));
        p.drawLine(in.topLeft(), in.topRight());
        p.drawLine(in.topLeft(), in.bottomLeft());
        if (!sunken) {
            p.setPen(pal.color(QPalette::Mid));
            p.drawLine(in.bottomLeft(), in.bottomRight());
            p.drawLine(in.topRight(), in.bottomRight());
        }
        QRect glyph = r.adjusted(3, 3, -4, -4);
        if (sunken)
            glyph.translate(1, 1);
        drawGlyph(p, list[i], glyph, enabled, m_player->m_coloredButtons.testFlag(list[i]));
        if (hasFocus() && i == m_focus) {
            QStyleOptionFocusRect opt;
            opt.initFrom(this);
            opt.rect = r.adjusted(3, 3, -4, -4);
            p.setPen(QPen(Qt::black, 1, Qt::DotLine));
            p.setBrush(Qt::NoBrush);
            p.drawRect(opt.rect.adjusted(0, 0, -1, -1));
        }
    }
}

void MediaPlayerBar::drawGlyph(QPainter &p, TMediaPlayer::TMPBtnType button, const QRect &r, bool enabled,
                               bool colored) const
{
    QColor color;
    switch (button) {
    case TMediaPlayer::btPlay: color = QColor(0, 128, 0); break;
    case TMediaPlayer::btPause: color = QColor(160, 140, 0); break;
    case TMediaPlayer::btStop: color = QColor(176, 0, 0); break;
    case TMediaPlayer::btRecord: color = QColor(200, 0, 0); break;
    default: color = QColor(0, 0, 128); break;
    }
    if (!colored)
        color = Qt::black;
    const QPointF c = QRectF(r).center();
    auto shape = [&](QPainterPath &path) {
        const qreal s = 5; // half the glyph's height
        switch (button) {
        case TMediaPlayer::btPlay:
            path.moveTo(c.x() - 3, c.y() - s);
            path.lineTo(c.x() + 3, c.y());
            path.lineTo(c.x() - 3, c.y() + s);
            break;
        case TMediaPlayer::btPause:
            path.addRect(c.x() - 4, c.y() - s, 3, 2 * s);
            path.addRect(c.x() + 1, c.y() - s, 3, 2 * s);
            break;
        case TMediaPlayer::btStop:
            path.addRect(c.x() - s + 1, c.y() - s + 1, 2 * s - 2, 2 * s - 2);
            break;
        case TMediaPlayer::btNext:
            path.moveTo(c.x() - 4, c.y() - s);
            path.lineTo(c.x() + 2, c.y());
            path.lineTo(c.x() - 4, c.y() + s);
            path.addRect(c.x() + 2, c.y() - s, 2, 2 * s);
            break;
        case TMediaPlayer::btPrev:
            path.moveTo(c.x() + 4, c.y() - s);
            path.lineTo(c.x() - 2, c.y());
            path.lineTo(c.x() + 4, c.y() + s);
            path.addRect(c.x() - 4, c.y() - s, 2, 2 * s);
            break;
        case TMediaPlayer::btRecord:
            path.addEllipse(c, s - 1, s - 1);
            break;
        default:
            path.addRect(c.x() - s, c.y() - 1, 2 * s, 2);
            break;
        }
    };
    QPainterPath path;
    shape(path);
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    if (enabled) {
        p.setBrush(color);
        p.drawPath(path);
    } else {
        // Grey with a white shadow, the usual look of a disabled pictogram.
        p.setBrush(Qt::white);
        p.drawPath(path.translated(1, 1));
        p.setBrush(QColor(128, 128, 128));
        p.drawPath(path);
    }
    p.restore();
}

void MediaPlayerBar::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const int i = indexAt(event->position().toPoint());
    const auto list = buttons();
    if (i < 0 || !isButtonEnabled(list[i]))
        return;
    m_pressed = i;
    m_pressedDown = true;
    m_focus = i;
    update();
}

void MediaPlayerBar::mouseDoubleClickEvent(QMouseEvent *event)
{
    mousePressEvent(event);
}

void MediaPlayerBar::mouseMoveEvent(QMouseEvent *event)
{
    if (m_pressed < 0)
        return;
    const bool over = buttonRect(m_pressed).contains(event->position().toPoint());
    if (over != m_pressedDown) {
        m_pressedDown = over;
        update();
    }
}

void MediaPlayerBar::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::RightButton) {
        // The bar has no menu of its own: the request goes to the window beneath.
        if (auto *host = qobject_cast<ControlHost *>(parentWidget()))
            Application->dispatch([&] {
                host->popupAt(mapToParent(event->position().toPoint()), event->globalPosition().toPoint());
            });
        return;
    }
    if (event->button() != Qt::LeftButton || m_pressed < 0)
        return;
    const int i = m_pressed;
    const bool over = buttonRect(i).contains(event->position().toPoint());
    m_pressed = -1;
    m_pressedDown = false;
    update();
    const auto list = buttons();
    if (over && i < list.size())
        Application->dispatch([&] { m_player->ClickButton(list[i]); });
}

void MediaPlayerBar::keyPressEvent(QKeyEvent *event)
{
    const auto list = buttons();
    if (list.isEmpty())
        return QWidget::keyPressEvent(event);
    switch (event->key()) {
    case Qt::Key_Left:
        m_focus = (m_focus + int(list.size()) - 1) % int(list.size());
        update();
        return;
    case Qt::Key_Right:
        m_focus = (m_focus + 1) % int(list.size());
        update();
        return;
    case Qt::Key_Space:
        if (m_focus < list.size() && isButtonEnabled(list[m_focus]))
            Application->dispatch([&] { m_player->ClickButton(list[m_focus]); });
        return;
    default:
        QWidget::keyPressEvent(event);
    }
}

void MediaPlayerBar::focusInEvent(QFocusEvent *event)
{
    QWidget::focusInEvent(event);
    update();
}

void MediaPlayerBar::focusOutEvent(QFocusEvent *event)
{
    QWidget::focusOutEvent(event);
    update();
}

void MediaPlayerBar::contextMenuEvent(QContextMenuEvent *event)
{
    // Mouse requests were handled on the release; the keyboard's goes up the chain.
    if (event->reason() == QContextMenuEvent::Mouse)
        event->accept();
    else
        event->ignore();
}
