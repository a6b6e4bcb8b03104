// TGauge: value rules, the bar and the inverted percentage text.
#include "platform/gauges.h"

#include "platform/exceptions.h"
#include "platform/graphics.h"

#include <QAccessible>
#include <QFontMetrics>
#include <QPainter>
#include <climits>
#include <cmath>

using namespace Qt::StringLiterals;

TGauge::TGauge(TComponent *owner) : TGraphicControl(owner) {}

void TGauge::setMinValue(int value)
{
    if (value == m_min)
        return;
    if (value > m_max)
        throw EInvalidOperation(u"Value must be between %1 and %2"_s.arg(INT_MIN).arg(qint64(m_max) - 1));
    m_min = value;
    if (m_progress < value)
        m_progress = value;
    repaint();
}

void TGauge::setMaxValue(int value)
{
    if (value == m_max)
        return;
    if (value < m_min)
        throw EInvalidOperation(u"Value must be between %1 and %2"_s.arg(qint64(m_min) + 1).arg(INT_MAX));
    m_max = value;
    if (m_progress > value)
        m_progress = value;
    repaint();
}

void TGauge::setProgress(int value)
{
    value = qBound(m_min, value, m_max);
    if (value == m_progress)
        return;
    const int before = PercentDone();
    m_progress = value;
    if (PercentDone() != before)
        repaint();
}

int TGauge::PercentDone() const
{
    if (m_max == m_min)
        return 0;
    // In floating point: the products overflow 32 bits for long media.
    return int(std::trunc((double(m_progress) - m_min) * 100.0 / (double(m_max) - m_min)));
}

void TGauge::repaint()
{
    ++m_repaints;
    Invalidate();
    // A screen reader following the gauge hears the new percentage.
    if (QAccessible::isActive()) {
        QAccessibleValueChangeEvent event(this, PercentDone());
        QAccessible::updateAccessibility(&event);
    }
}

QImage TGauge::render(qreal scale) const
{
    const int w = Width(), h = Height();
    QImage image(qMax(qRound(w * scale), 1), qMax(qRound(h * scale), 1), QImage::Format_RGB32);
    image.setDevicePixelRatio(scale);
    // The single border is a black window pixel around the inside, made by
    // filling, so it stays one window pixel wide at every scale.
    image.fill(m_border == bsSingle ? QColor(Qt::black) : m_back);
    if (w <= 0 || h <= 0)
        return image;
    QPainter p(&image);
    const QRect inner = m_border == bsSingle ? QRect(1, 1, w - 2, h - 2) : QRect(0, 0, w, h);
    if (m_border == bsSingle)
        p.fillRect(inner, m_back);
    const int n = PercentDone();
    // The bar reaches to x = (W - 1) * N / 100, that column itself not filled.
    const int right = (w - 1) * n / 100;
    if (right > inner.left())
        p.fillRect(QRect(inner.left(), inner.top(), right - inner.left(), inner.height()) & inner, m_fore);
    if (m_showText) {
        const QString text = u"%1%"_s.arg(n);
        QFont font = Font()->qfont();
        // Whole pixels only: the text is drawn by inverting what lies under it.
        font.setStyleStrategy(QFont::NoAntialias);
        const QFontMetrics fm(font);
        const int tw = fm.horizontalAdvance(text);
        const int th = fm.height();
        const int x = (w - 1 - tw) / 2;
        const int y = (h - 1 - th) / 2;
        p.setClipRect(inner);
        p.setFont(font);
        p.setPen(Qt::white);
        p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        p.drawText(x, y + fm.ascent(), text);
    }
    return image;
}

void TGauge::Paint(QPainter &painter)
{
    painter.drawImage(QPoint(0, 0), render(paintScale(painter)));
}
