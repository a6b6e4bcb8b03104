// TGauge: a percentage bar with its value text drawn by inverting the pixels under it.
#pragma once

#include "platform/controls.h"

#include <QImage>

class TGauge : public TGraphicControl
{
    Q_OBJECT
    Q_PROPERTY(TGaugeKind Kind MEMBER m_kind)
    Q_PROPERTY(bool ShowText READ ShowText WRITE setShowText)
    Q_PROPERTY(TBorderStyle BorderStyle READ BorderStyle WRITE setBorderStyle)
    Q_PROPERTY(QColor ForeColor READ ForeColor WRITE setForeColor)
    Q_PROPERTY(QColor BackColor READ BackColor WRITE setBackColor)
    Q_PROPERTY(int MinValue READ MinValue WRITE setMinValue)
    Q_PROPERTY(int MaxValue READ MaxValue WRITE setMaxValue)
    Q_PROPERTY(int Progress READ Progress WRITE setProgress)

public:
    enum TGaugeKind { gkHorizontalBar };
    Q_ENUM(TGaugeKind)
    enum TBorderStyle { bsNone, bsSingle };
    Q_ENUM(TBorderStyle)

    explicit TGauge(TComponent *owner = nullptr);

    int MinValue() const { return m_min; }
    int MaxValue() const { return m_max; }
    int Progress() const { return m_progress; }
    // Raises EInvalidOperation for a value on the wrong side of the other bound;
    // the old value then stays.
    void setMinValue(int value);
    void setMaxValue(int value);
    // Clamps into [MinValue, MaxValue]; repaints only when the whole percentage changes.
    void setProgress(int value);
    // The whole percentage: truncated toward zero, 0 when the range is empty.
    int PercentDone() const;

    bool ShowText() const { return m_showText; }
    void setShowText(bool v) { m_showText = v; Invalidate(); }
    TBorderStyle BorderStyle() const { return m_border; }
    void setBorderStyle(TBorderStyle v) { m_border = v; Invalidate(); }
    QColor ForeColor() const { return m_fore; }
    void setForeColor(const QColor &c) { m_fore = c; Invalidate(); }
    QColor BackColor() const { return m_back; }
    void setBackColor(const QColor &c) { m_back = c; Invalidate(); }

    // The gauge as it looks now: Width x Height window pixels, drawn at
    // `scale` image pixels each (the screen's device pixel ratio).
    QImage render(qreal scale = 1) const;
    void Paint(QPainter &painter) override;
    // How many times the gauge asked to be repainted (for the benchmarks and tests).
    int repaintRequests() const { return m_repaints; }

private:
    void repaint();

    TGaugeKind m_kind = gkHorizontalBar;
    bool m_showText = true;
    TBorderStyle m_border = bsSingle;
    QColor m_fore = Qt::black;
    QColor m_back = Qt::white;
    int m_min = 0, m_max = 100, m_progress = 0;
    int m_repaints = 0;
};
