// TComponent ownership, event binding and the component class registry.
#include "platform/classes.h"

namespace {
QHash<QString, ComponentRegistry::Factory> &factories()
{
    static QHash<QString, ComponentRegistry::Factory> table;
    return table;
}
} // namespace

void ComponentRegistry::add(const QString &className, Factory factory)
{
    factories().insert(className, std::move(factory));
}

TComponent *ComponentRegistry::create(const QString &className, TComponent *owner)
{
    const auto it = factories().constFind(className);
    return it == factories().constEnd() ? nullptr : (*it)(owner);
}

bool ComponentRegistry::has(const QString &className)
{
    return factories().contains(className);
}

TComponent::TComponent(TComponent *owner) : m_owner(owner)
{
    if (owner)
        owner->m_components.append(this);
}

TComponent::~TComponent()
{
    DestroyComponents();
    if (m_owner)
        m_owner->m_components.removeOne(this);
}

void TComponent::DestroyComponents()
{
    while (!m_components.isEmpty()) {
        TComponent *c = m_components.takeLast();
        c->m_owner = nullptr;
        delete c;
    }
}

TComponent *TComponent::FindComponent(const QString &name) const
{
    for (TComponent *c : m_components)
        if (c->Name().compare(name, Qt::CaseInsensitive) == 0)
            return c;
    return nullptr;
}

QByteArray TComponent::eventSignature(const QByteArray &) const
{
    return {};
}

void TComponent::bindEvent(const QByteArray &event, QObject *target, int methodIndex)
{
    m_events.insert(event, EventBinding{target, methodIndex});
}

bool TComponent::hasHandler(const QByteArray &event) const
{
    const auto it = m_events.constFind(event);
    return it != m_events.constEnd() && bool(*it);
}

bool TComponent::insertChild(TComponent *)
{
    return false;
}

void TComponent::invoke(const QByteArray &event, void **argv)
{
    const auto it = m_events.constFind(event);
    if (it == m_events.constEnd() || !*it)
        return;
    QObject *sender = this;
    argv[1] = &sender;
    it->target->qt_metacall(QMetaObject::InvokeMetaMethod, it->methodIndex, argv);
}
