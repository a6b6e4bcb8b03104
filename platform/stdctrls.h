// The standard components: picture box, label, panel, timer.
#pragma once

#include "platform/controls.h"

#include <QImage>

class QTimer;

// A picture box: draws its picture unscaled at its top-left corner.
class TImage : public TGraphicControl
{
    Q_OBJECT
    Q_PROPERTY(QImage Picture READ Picture WRITE setPicture)
    Q_PROPERTY(bool Stretch MEMBER m_stretch)
    Q_PROPERTY(bool Center MEMBER m_center)
    Q_PROPERTY(bool Proportional MEMBER m_proportional)
    Q_PROPERTY(bool AutoSize MEMBER m_autoSize)
    Q_PROPERTY(bool Transparent MEMBER m_transparent)

public:
    using TGraphicControl::TGraphicControl;
    QImage Picture() const { return m_picture; }
    // The picture is copied; repaints the whole box.
    void setPicture(const QImage &picture);
    void Paint(QPainter &painter) override;

private:
    QImage m_picture;
    bool m_stretch = false, m_center = false, m_proportional = false, m_autoSize = false,
         m_transparent = false;
};

// A text label painted by its parent, on the parent's colour unless told otherwise.
class TLabel : public TGraphicControl
{
    Q_OBJECT
    Q_PROPERTY(bool WordWrap READ WordWrap WRITE setWordWrap)
    Q_PROPERTY(bool AutoSize READ AutoSize WRITE setAutoSize)
    Q_PROPERTY(bool Transparent MEMBER m_transparent)

public:
    explicit TLabel(TComponent *owner = nullptr);
    bool WordWrap() const { return m_wordWrap; }
    void setWordWrap(bool v);
    bool AutoSize() const { return m_autoSize; }
    void setAutoSize(bool v);
    void setCaption(const QString &caption) override;
    void Paint(QPainter &painter) override;
    void BeforeShow() override;

protected:
    void fontChanged() override;

private:
    // Sizing to the text needs the font database, which is slow to load: it is
    // done once the label's window is about to be shown, not at start-up.
    void adjustBounds();
    bool windowShown() const;
    bool m_sizePending = false;
    bool m_wordWrap = false, m_autoSize = true, m_transparent = false;
};

// A panel: a windowed container with an optional bevel, painting its own colour.
class TPanel : public TWinControl
{
    Q_OBJECT
    Q_PROPERTY(TBevelCut BevelOuter READ BevelOuter WRITE setBevelOuter)
    Q_PROPERTY(TBevelCut BevelInner READ BevelInner WRITE setBevelInner)
    Q_PROPERTY(bool ParentBackground MEMBER m_parentBackground)

public:
    enum TBevelCut { bvNone, bvLowered, bvRaised, bvSpace };
    Q_ENUM(TBevelCut)
    explicit TPanel(TComponent *owner = nullptr);
    TBevelCut BevelOuter() const { return m_outer; }
    void setBevelOuter(TBevelCut b) { m_outer = b; Invalidate(); }
    TBevelCut BevelInner() const { return m_inner; }
    void setBevelInner(TBevelCut b) { m_inner = b; Invalidate(); }
    void paintClient(QPainter &painter, const QRect &dirty) override;

private:
    TBevelCut m_outer = bvRaised, m_inner = bvNone;
    bool m_parentBackground = true;
};

class QPlainTextEdit;
class QPushButton;
class QLineEdit;
class QStatusBar;

// A multi-line text box. Its text widget is made when the window is first
// about to be shown: making one loads the font database, which is slow, and
// windows that are not shown at start-up must not delay it.
class TMemo : public TWinControl
{
    Q_OBJECT
    Q_PROPERTY(QStringList Lines READ Lines WRITE setLines)
    Q_PROPERTY(bool ReadOnly READ ReadOnly WRITE setReadOnly)
    Q_PROPERTY(bool WordWrap READ WordWrap WRITE setWordWrap)
    Q_PROPERTY(TScrollStyle ScrollBars READ ScrollBars WRITE setScrollBars)

public:
    enum TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };
    Q_ENUM(TScrollStyle)
    explicit TMemo(TComponent *owner = nullptr);
    QStringList Lines() const;
    void setLines(const QStringList &lines);
    bool ReadOnly() const { return m_readOnly; }
    void setReadOnly(bool v);
    bool WordWrap() const { return m_wordWrap; }
    void setWordWrap(bool v);
    TScrollStyle ScrollBars() const { return m_scrollBars; }
    void setScrollBars(TScrollStyle v);
    void setColor(const QColor &color) override;
    void BeforeShow() override;
    // The text widget, made now if it is not there yet.
    QPlainTextEdit *edit();

private:
    void apply();
    QPlainTextEdit *m_edit = nullptr;
    QStringList m_lines;
    bool m_readOnly = false;
    bool m_wordWrap = true;
    TScrollStyle m_scrollBars = ssNone;
};

// A push button; a non-zero ModalResult closes a modal window with that result.
// Like the other standard controls of hidden windows, the Qt control is made
// when its window is first about to be shown (or when asked for): making
// controls loads the font database and styles, which must not delay start-up.
class TButton : public TWinControl
{
    Q_OBJECT
    Q_PROPERTY(bool Default READ Default WRITE setDefault)
    Q_PROPERTY(bool Cancel MEMBER m_cancel)
    Q_PROPERTY(TModalResult ModalResult MEMBER m_modalResult)

public:
    enum TModalResult { mrNone, mrOk, mrCancel, mrAbort, mrRetry, mrIgnore, mrYes, mrNo };
    Q_ENUM(TModalResult)
    explicit TButton(TComponent *owner = nullptr);
    bool Default() const { return m_default; }
    void setDefault(bool v);
    void setCaption(const QString &caption) override;
    void BeforeShow() override { button(); }
    void Click() override;
    QPushButton *button();

private:
    QPushButton *m_button = nullptr;
    bool m_default = false;
    bool m_cancel = false;
    TModalResult m_modalResult = mrNone;
};

// A one-line text box.
class TEdit : public TWinControl
{
    Q_OBJECT
    Q_PROPERTY(QString Text READ Text WRITE setText)

public:
    explicit TEdit(TComponent *owner = nullptr);
    QString Text() const;
    void setText(const QString &text);
    void BeforeShow() override { edit(); }
    QLineEdit *edit();

private:
    QLineEdit *m_edit = nullptr;
    QString m_text;
};

// A status bar along the bottom of its window with one text.
class TStatusBar : public TWinControl
{
    Q_OBJECT
    Q_PROPERTY(bool SimplePanel MEMBER m_simplePanel)
    Q_PROPERTY(QString SimpleText READ SimpleText WRITE setSimpleText)

public:
    explicit TStatusBar(TComponent *owner = nullptr);
    QString SimpleText() const { return m_text; }
    void setSimpleText(const QString &text);
    void BeforeShow() override { bar(); }
    QStatusBar *bar();

private:
    QStatusBar *m_bar = nullptr;
    QString m_text;
    bool m_simplePanel = true;
};

// The cheap stand-in widget of a control whose Qt control comes later.
QWidget *makeControlBox();

class TTimer : public TComponent
{
    Q_OBJECT
    Q_PROPERTY(bool Enabled READ Enabled WRITE setEnabled)
    Q_PROPERTY(int Interval READ Interval WRITE setInterval)

public:
    explicit TTimer(TComponent *owner = nullptr);
    bool Enabled() const { return m_enabled; }
    // A timer that is already on keeps running and is not restarted.
    void setEnabled(bool enabled);
    int Interval() const { return m_interval; }
    void setInterval(int interval);
    QByteArray eventSignature(const QByteArray &event) const override;
    void Loaded() override { update(); }

private:
    void update();
    QTimer *m_timer;
    bool m_enabled = true;
    int m_interval = 1000;
};

// Registers the platform's component classes with the form reader.
void registerStandardComponents();
