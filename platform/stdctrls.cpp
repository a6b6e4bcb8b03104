// The standard components: picture box, label, panel, timer; and their registration.
#include "platform/stdctrls.h"

#include "platform/application.h"
#include "platform/dialogs.h"
#include "platform/gauges.h"
#include "platform/mplayer.h"
#include "platform/forms.h"
#include "platform/menus.h"

#include <QFontMetrics>
#include <QPainter>
#include <QTimer>

using namespace Qt::StringLiterals;

void TImage::setPicture(const QImage &picture)
{
    m_picture = picture;
    // The whole box, also the part the new picture no longer covers.
    Invalidate();
}

void TImage::Paint(QPainter &painter)
{
    if (!m_picture.isNull())
        painter.drawImage(QPoint(0, 0), m_picture);
}

TLabel::TLabel(TComponent *owner) : TGraphicControl(owner) {}

void TLabel::setWordWrap(bool v)
{
    m_wordWrap = v;
    adjustBounds();
}

void TLabel::setAutoSize(bool v)
{
    m_autoSize = v;
    adjustBounds();
}

void TLabel::setCaption(const QString &caption)
{
    TControl::setCaption(caption);
    adjustBounds();
}

void TLabel::fontChanged()
{
    adjustBounds();
    Invalidate();
}

void TLabel::adjustBounds()
{
    if (!m_autoSize)
        return;
    const QFontMetrics fm(Font()->qfont());
    QRect r;
    if (m_wordWrap && Width() > 0)
        r = fm.boundingRect(QRect(0, 0, Width(), 100000), Qt::TextWordWrap, Caption());
    else
        r = fm.boundingRect(QRect(0, 0, 100000, 100000), 0, Caption());
    const int w = m_wordWrap ? Width() : r.width();
    SetBounds(Left(), Top(), w, qMax(r.height(), fm.height()));
}

void TLabel::Paint(QPainter &painter)
{
    const QRect box(QPoint(0, 0), BoundsRect().size());
    if (!m_transparent && Parent())
        painter.fillRect(box, Parent()->Color());
    painter.setFont(Font()->qfont());
    painter.setPen(Font()->Color());
    painter.drawText(box, Qt::AlignLeft | Qt::AlignTop | (m_wordWrap ? Qt::TextWordWrap : 0), Caption());
}

TPanel::TPanel(TComponent *owner) : TWinControl(owner)
{
    setWidget(new ControlHost(this));
}

void TPanel::paintClient(QPainter &painter, const QRect &dirty)
{
    TWinControl::paintClient(painter, dirty);
    const QRect r = widget()->rect().adjusted(0, 0, -1, -1);
    auto bevel = [&](TBevelCut cut, QRect rect) {
        if (cut != bvLowered && cut != bvRaised)
            return;
        const QPalette pal = widget()->palette();
        const QColor topLeft = cut == bvLowered ? pal.color(QPalette::Mid) : pal.color(QPalette::Light);
        const QColor bottomRight = cut == bvLowered ? pal.color(QPalette::Light) : pal.color(QPalette::Mid);
        painter.setPen(topLeft);
        painter.drawLine(rect.topLeft(), rect.topRight());
        painter.drawLine(rect.topLeft(), rect.bottomLeft());
        painter.setPen(bottomRight);
        painter.drawLine(rect.bottomLeft(), rect.bottomRight());
        painter.drawLine(rect.topRight(), rect.bottomRight());
    };
    painter.setClipping(false);
    bevel(m_outer, r);
    bevel(m_inner, r.adjusted(1, 1, -1, -1));
}

TTimer::TTimer(TComponent *owner) : TComponent(owner), m_timer(new QTimer(this))
{
    m_timer->setTimerType(Qt::PreciseTimer);
    connect(m_timer, &QTimer::timeout, this, [this] {
        Application->dispatch([this] { fire("OnTimer"); });
    });
}

void TTimer::setEnabled(bool enabled)
{
    if (m_enabled == enabled)
        return;
    m_enabled = enabled;
    update();
}

void TTimer::setInterval(int interval)
{
    if (m_interval == interval)
        return;
    m_interval = interval;
    if (m_timer->isActive())
        m_timer->stop();
    update();
}

void TTimer::update()
{
    // Only a form that is fully read runs its timers.
    const bool run = m_enabled && m_interval > 0 && hasHandler("OnTimer");
    if (!run) {
        m_timer->stop();
    } else if (!m_timer->isActive()) {
        m_timer->start(m_interval);
    }
}

QByteArray TTimer::eventSignature(const QByteArray &event) const
{
    return event == "OnTimer" ? kNotifySignature : TComponent::eventSignature(event);
}

void registerStandardComponents()
{
    ComponentRegistry::add<TImage>(u"TImage"_s);
    ComponentRegistry::add<TLabel>(u"TLabel"_s);
    ComponentRegistry::add<TPanel>(u"TPanel"_s);
    ComponentRegistry::add<TTimer>(u"TTimer"_s);
    ComponentRegistry::add<TGauge>(u"TGauge"_s);
    ComponentRegistry::add<TOpenDialog>(u"TOpenDialog"_s);
    ComponentRegistry::add<TMediaPlayer>(u"TMediaPlayer"_s);
    ComponentRegistry::add<TPopupMenu>(u"TPopupMenu"_s);
    ComponentRegistry::add<TMainMenu>(u"TMainMenu"_s);
    ComponentRegistry::add<TMenuItem>(u"TMenuItem"_s);
}
