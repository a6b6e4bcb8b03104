// TControl and its two kinds: graphic controls painted by their parent, windowed controls with a widget.
#pragma once

#include "platform/classes.h"

#include <QColor>
#include <QFont>
#include <QPointer>
#include <QRect>
#include <QWidget>

#include "platform/menus.h"

class QPainter;
class QTimer;
class TWinControl;


// A font as the form descriptions give it: a Windows face name, a height in
// pixels (negative: character height) and a colour.
class TFont : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString Name READ Name WRITE setName)
    Q_PROPERTY(int Height READ Height WRITE setHeight)
    Q_PROPERTY(int Size READ Size WRITE setSize)
    Q_PROPERTY(QColor Color READ Color WRITE setColor)
    Q_PROPERTY(QStringList Style READ Style WRITE setStyle)
    Q_PROPERTY(QString Charset MEMBER m_charset)

public:
    using QObject::QObject;
    QString Name() const { return m_name; }
    void setName(const QString &name);
    int Height() const { return m_height; }
    void setHeight(int height);
    int Size() const { return -m_height * 72 / 96; }
    void setSize(int points) { setHeight(-(points * 96 + 36) / 72); }
    QColor Color() const { return m_color; }
    void setColor(const QColor &color);
    QStringList Style() const { return m_style; }
    void setStyle(const QStringList &style);
    void assign(const TFont &other);

    // The Qt font that stands for this one on this machine.
    QFont qfont() const;
    // The installed family used for a Windows face name.
    static QString substitute(const QString &faceName);
    // Reads the font configuration and resolves the faces the forms use, so
    // that the first text painted finds them ready. Safe on any thread.
    static void warmUp();

Q_SIGNALS:
    void changed();

private:
    QString m_name = QStringLiteral("MS Sans Serif");
    int m_height = -11;
    QColor m_color = Qt::black;
    QStringList m_style;
    QString m_charset;
};

class TControl : public TComponent
{
    Q_OBJECT
    Q_PROPERTY(int Left READ Left WRITE setLeft)
    Q_PROPERTY(int Top READ Top WRITE setTop)
    Q_PROPERTY(int Width READ Width WRITE setWidth)
    Q_PROPERTY(int Height READ Height WRITE setHeight)
    Q_PROPERTY(bool Visible READ Visible WRITE setVisible)
    Q_PROPERTY(bool Enabled READ Enabled WRITE setEnabled)
    Q_PROPERTY(TPopupMenu *PopupMenu READ PopupMenu WRITE setPopupMenu)
    Q_PROPERTY(QColor Color READ Color WRITE setColor)
    Q_PROPERTY(TFont *Font READ Font)
    Q_PROPERTY(bool ParentFont READ ParentFont WRITE setParentFont)
    Q_PROPERTY(bool ParentColor MEMBER m_parentColor)
    Q_PROPERTY(QString Caption READ Caption WRITE setCaption)
    Q_PROPERTY(QString Align MEMBER m_align)
    Q_PROPERTY(QString Hint MEMBER m_hint)
    Q_PROPERTY(QString AccessibleName MEMBER m_accessibleName)
    Q_PROPERTY(QString AccessibleDescription MEMBER m_accessibleDescription)
    Q_PROPERTY(TAccessibleRole AccessibleRole MEMBER m_accessibleRole)

public:
    // What assistive technology (a screen reader) is told a graphic control
    // is; arDefault leaves it to the control's kind.
    enum TAccessibleRole { arDefault, arButton, arProgressBar, arTitleBar, arGrip, arGraphic };
    Q_ENUM(TAccessibleRole)

    explicit TControl(TComponent *owner = nullptr);
    ~TControl() override;

    int Left() const { return m_bounds.x(); }
    int Top() const { return m_bounds.y(); }
    int Width() const { return m_bounds.width(); }
    int Height() const { return m_bounds.height(); }
    void setLeft(int v) { SetBounds(v, Top(), Width(), Height()); }
    void setTop(int v) { SetBounds(Left(), v, Width(), Height()); }
    void setWidth(int v) { SetBounds(Left(), Top(), v, Height()); }
    void setHeight(int v) { SetBounds(Left(), Top(), Width(), v); }
    virtual void SetBounds(int left, int top, int width, int height);
    QRect BoundsRect() const { return m_bounds; }

    bool Visible() const { return m_visible; }
    virtual void setVisible(bool visible);
    void Show() { setVisible(true); }
    void Hide() { setVisible(false); }
    bool Enabled() const { return m_enabled; }
    virtual void setEnabled(bool enabled);
    TPopupMenu *PopupMenu() const { return m_popupMenu; }
    void setPopupMenu(TPopupMenu *menu) { m_popupMenu = menu; }
    QColor Color() const { return m_color; }
    virtual void setColor(const QColor &color);
    TFont *Font() const { return m_font; }
    bool ParentFont() const { return m_parentFont; }
    void setParentFont(bool v);
    QString Caption() const { return m_caption; }
    virtual void setCaption(const QString &caption);
    QString AccessibleName() const { return m_accessibleName; }
    QString AccessibleDescription() const { return m_accessibleDescription; }
    TAccessibleRole AccessibleRole() const { return m_accessibleRole; }

    TWinControl *Parent() const { return m_parent; }
    virtual void setParent(TWinControl *parent);
    // Repaints the control's box (graphic controls) or widget (windowed ones).
    virtual void Invalidate();

    // Called for every control of a window just before the window is shown.
    virtual void BeforeShow() {}

    // Graphic controls paint here, in their own coordinates, clipped to their box.
    virtual void Paint(QPainter &) {}
    virtual bool isWindowed() const { return false; }

    QByteArray eventSignature(const QByteArray &event) const override;

    // Mouse delivery from the parent's routing (coordinates are the control's own).
    virtual void MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
    virtual void MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
    virtual void Click();
    virtual void MouseEnter();
    virtual void MouseLeave();

protected:
    virtual void fontChanged() { Invalidate(); }

private:
    QRect m_bounds;
    bool m_visible = true;
    bool m_enabled = true;
    bool m_parentFont = true;
    bool m_parentColor = false;
    QPointer<TPopupMenu> m_popupMenu;
    QColor m_color = QColor(240, 240, 240);
    TFont *m_font;
    QString m_caption, m_align, m_hint;
    QString m_accessibleName, m_accessibleDescription;
    TAccessibleRole m_accessibleRole = arDefault;
    TWinControl *m_parent = nullptr;
    friend class TWinControl;
};

// Ends any mouse capture held by a graphic control.
void ReleaseCapture();

// A control without a window of its own: its parent paints it and routes the mouse to it.
class TGraphicControl : public TControl
{
    Q_OBJECT
public:
    using TControl::TControl;
};

class ControlHost;

// A control with a widget of its own. Graphic controls placed on it are painted
// by its widget in creation order and get the mouse by the routing rules of
// ControlHost.
class TWinControl : public TControl
{
    Q_OBJECT
    Q_PROPERTY(int TabOrder READ TabOrder WRITE setTabOrder)
    Q_PROPERTY(bool TabStop READ TabStop WRITE setTabStop)

public:
    explicit TWinControl(TComponent *owner = nullptr);
    ~TWinControl() override;

    QWidget *widget() const { return m_widget; }
    bool isWindowed() const override { return true; }
    // Child controls in creation order.
    const QList<TControl *> &Controls() const { return m_controls; }
    // The topmost visible graphic control at `pos` (client coordinates), or nullptr.
    TControl *ControlAtPos(QPoint pos, bool enabledOnly = false) const;

    void SetBounds(int left, int top, int width, int height) override;
    void setVisible(bool visible) override;
    void setEnabled(bool enabled) override;
    void setParent(TWinControl *parent) override;
    void Invalidate() override;
    void InvalidateRect(const QRect &rect);
    bool insertChild(TComponent *child) override;

    int TabOrder() const { return m_tabOrder; }
    void setTabOrder(int order);
    bool TabStop() const { return m_tabStop; }
    void setTabStop(bool stop);
    void SetFocus();
    bool Focused() const;

    // Paints the background and the graphic controls; used by the host widget.
    virtual void paintClient(QPainter &painter, const QRect &dirty);

protected:
    // Subclasses create their widget in their constructor and hand it over here.
    void setWidget(QWidget *widget);
    void fontChanged() override;
    virtual void applyGeometry();
    void applyTabOrder();

private:
    QPointer<QWidget> m_widget;
    QList<TControl *> m_controls;
    int m_tabOrder = -1;
    bool m_tabStop = false;
    friend class TControl;
    friend class ControlHost;
};

// The widget of a TWinControl that can hold graphic controls: paints them and
// routes the mouse to them.
class ControlHost : public QWidget
{
    Q_OBJECT
public:
    explicit ControlHost(TWinControl *control, QWidget *parent = nullptr);
    ~ControlHost() override;
    // Tells every window that holds a mouse capture to cancel it.
    static void cancelAllCaptures();
    // Where on the screen the last mouse button was pressed over a host.
    static QPoint lastPressPos();
    TWinControl *control() const { return m_control; }
    // The graphic control that holds the mouse capture, if any.
    TControl *captureControl() const { return m_capture; }
    void cancelCapture();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

public:
    // The right-button request: topmost visible, enabled graphic control with a
    // menu of its own, else the window's menu; false when nobody took it.
    bool popupAt(QPoint clientPos, QPoint globalPos);

private:
    // The first of this window and its parents with a menu of its own.
    TWinControl *menuOwner() const;
    void press(QMouseEvent *event, bool doubleClick);
    void trackHover(QPoint pos);
    // Tells the control under the pointer that it left once the pointer
    // moves away from `globalPos` outside the window.
    void watchPointerFrom(QPoint globalPos);
    // The control under the pointer is told the pointer left it.
    void leaveHovered();

    TWinControl *m_control;
    QPointer<TControl> m_capture;
    bool m_captureIsHost = false;
    bool m_doubleClickRelease = false;
    QPointer<TControl> m_hover;
    QTimer *m_pointerWatch = nullptr;
    QPoint m_releasedAt;
};
