// Accessible interfaces for graphic controls and for the windows that paint them.
#include "platform/accessibility.h"

#include "platform/application.h"
#include "platform/controls.h"
#include "platform/gauges.h"
#include "platform/stdctrls.h"

#include <QAccessibleWidget>
#include <QPointer>

namespace {

// The name a graphic control is announced by: its own accessible name, or a
// label's caption. Controls without one are decoration and stay unlisted.
QString nameOf(const TControl *c)
{
    if (!c->AccessibleName().isEmpty())
        return c->AccessibleName();
    if (qobject_cast<const TLabel *>(c))
        return c->Caption();
    return {};
}

bool listed(const TControl *c)
{
    return !c->isWindowed() && c->Visible() && !nameOf(c).isEmpty();
}

QAccessible::Role roleOf(const TControl *c)
{
    switch (c->AccessibleRole()) {
    case TControl::arButton: return QAccessible::Button;
    case TControl::arProgressBar: return QAccessible::ProgressBar;
    case TControl::arTitleBar: return QAccessible::TitleBar;
    case TControl::arGrip: return QAccessible::Grip;
    case TControl::arGraphic: return QAccessible::Graphic;
    case TControl::arDefault: break;
    }
    if (qobject_cast<const TLabel *>(c))
        return QAccessible::StaticText;
    if (qobject_cast<const TGauge *>(c))
        return QAccessible::ProgressBar;
    return QAccessible::Graphic;
}

class GraphicAccessible : public QAccessibleInterface,
                          public QAccessibleActionInterface,
                          public QAccessibleValueInterface
{
public:
    explicit GraphicAccessible(TControl *control) : m_control(control) {}

    bool isValid() const override { return m_control && m_control->Parent() && m_control->Parent()->widget(); }
    QObject *object() const override { return m_control; }
    QWindow *window() const override
    {
        return isValid() ? m_control->Parent()->widget()->window()->windowHandle() : nullptr;
    }
    QList<std::pair<QAccessibleInterface *, QAccessible::Relation>>
    relations(QAccessible::Relation) const override { return {}; }
    QAccessibleInterface *focusChild() const override { return nullptr; }
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }
    QAccessibleInterface *parent() const override
    {
        return isValid() ? QAccessible::queryAccessibleInterface(m_control->Parent()->widget()) : nullptr;
    }
    QAccessibleInterface *child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }

    QString text(QAccessible::Text t) const override
    {
        if (!m_control)
            return {};
        switch (t) {
        case QAccessible::Name: return nameOf(m_control);
        case QAccessible::Description: return m_control->AccessibleDescription();
        case QAccessible::Value:
            if (const auto *g = gauge())
                return QStringLiteral("%1%").arg(g->PercentDone());
            return {};
        default: return {};
        }
    }
    void setText(QAccessible::Text, const QString &) override {}

    // The control's box on the screen, cut to the window that paints it.
    QRect rect() const override
    {
        if (!isValid())
            return {};
        const QWidget *host = m_control->Parent()->widget();
        const QRect box = m_control->BoundsRect() & host->rect();
        return QRect(host->mapToGlobal(box.topLeft()), box.size());
    }
    QAccessible::Role role() const override { return roleOf(m_control); }
    QAccessible::State state() const override
    {
        QAccessible::State s;
        if (!isValid() || !m_control->Visible() || !m_control->Parent()->widget()->isVisible())
            s.invisible = true;
        if (m_control && !m_control->Enabled())
            s.disabled = true;
        if (role() == QAccessible::Graphic || role() == QAccessible::StaticText || role() == QAccessible::ProgressBar)
            s.readOnly = true;
        return s;
    }

    void *interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::ActionInterface && role() == QAccessible::Button)
            return static_cast<QAccessibleActionInterface *>(this);
        if (type == QAccessible::ValueInterface && gauge())
            return static_cast<QAccessibleValueInterface *>(this);
        return nullptr;
    }

    // A button's press issues its click, as a mouse click would.
    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString &action) override
    {
        if (action == pressAction() && m_control && m_control->Enabled())
            Application->dispatch([this] { m_control->Click(); });
    }
    QStringList keyBindingsForAction(const QString &) const override { return {}; }

    // The gauge's value is its percentage.
    QVariant currentValue() const override { return gauge() ? QVariant(gauge()->PercentDone()) : QVariant(); }
    void setCurrentValue(const QVariant &) override {}
    QVariant maximumValue() const override { return 100; }
    QVariant minimumValue() const override { return 0; }
    QVariant minimumStepSize() const override { return 1; }

private:
    const TGauge *gauge() const { return qobject_cast<const TGauge *>(m_control.data()); }

    QPointer<TControl> m_control;
};

// A window with graphic controls: Qt's own view of the widget, with the
// listed graphic controls after its child widgets.
class HostAccessible : public QAccessibleWidget
{
public:
    explicit HostAccessible(ControlHost *host)
        : QAccessibleWidget(host, host->isWindow() ? QAccessible::Window : QAccessible::Pane)
    {
    }

    int childCount() const override { return QAccessibleWidget::childCount() + int(graphics().size()); }
    QAccessibleInterface *child(int index) const override
    {
        const int widgets = QAccessibleWidget::childCount();
        if (index < widgets)
            return QAccessibleWidget::child(index);
        const QList<TControl *> list = graphics();
        index -= widgets;
        return index < list.size() ? QAccessible::queryAccessibleInterface(list[index]) : nullptr;
    }
    int indexOfChild(const QAccessibleInterface *child) const override
    {
        if (auto *c = qobject_cast<TControl *>(child ? child->object() : nullptr); c && !c->isWindowed()) {
            const qsizetype at = graphics().indexOf(c);
            return at < 0 ? -1 : QAccessibleWidget::childCount() + int(at);
        }
        return QAccessibleWidget::indexOfChild(child);
    }
    // A point over a graphic control finds the one the mouse would reach.
    QAccessibleInterface *childAt(int x, int y) const override
    {
        const auto *host = static_cast<ControlHost *>(widget());
        const QPoint local = host->mapFromGlobal(QPoint(x, y));
        if (QWidget *w = host->childAt(local); !w || w == host) {
            TControl *c = host->control()->ControlAtPos(local);
            if (c && listed(c))
                return QAccessible::queryAccessibleInterface(c);
        }
        return QAccessibleWidget::childAt(x, y);
    }

private:
    QList<TControl *> graphics() const
    {
        QList<TControl *> list;
        for (TControl *c : static_cast<ControlHost *>(widget())->control()->Controls())
            if (listed(c))
                list.append(c);
        return list;
    }
};

QAccessibleInterface *factory(const QString &, QObject *object)
{
    if (auto *host = qobject_cast<ControlHost *>(object))
        return new HostAccessible(host);
    if (auto *c = qobject_cast<TControl *>(object); c && !c->isWindowed())
        return new GraphicAccessible(c);
    return nullptr;
}

} // namespace

void installAccessibility()
{
    static bool installed = false;
    if (!installed) {
        QAccessible::installFactory(&factory);
        installed = true;
    }
}
