// TComponent: named, owned components with events bound by name to a form's handlers.
#pragma once

#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QPointer>
#include <functional>

class TComponent;

// Creates components by class name while a form description is read.
class ComponentRegistry
{
public:
    using Factory = std::function<TComponent *(TComponent *owner)>;
    static void add(const QString &className, Factory factory);
    template<class T>
    static void add(const QString &className)
    {
        add(className, [](TComponent *owner) { return new T(owner); });
    }
    // nullptr when the class is unknown.
    static TComponent *create(const QString &className, TComponent *owner);
    static bool has(const QString &className);
};

// An event handler bound by name: a slot of the form object, called directly
// through the form's own moc code so that an error raised in the handler never
// unwinds through a Qt frame.
struct EventBinding
{
    QPointer<QObject> target;
    int methodIndex = -1;
    explicit operator bool() const { return target && methodIndex >= 0; }
};

class TComponent : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString Name READ Name WRITE setName)
    Q_PROPERTY(int Tag MEMBER m_tag)

public:
    explicit TComponent(TComponent *owner = nullptr);
    ~TComponent() override;

    QString Name() const { return objectName(); }
    void setName(const QString &name) { setObjectName(name); }
    TComponent *Owner() const { return m_owner; }
    // Components this one owns, in creation order.
    const QList<TComponent *> &Components() const { return m_components; }
    TComponent *FindComponent(const QString &name) const;

    // The parameter list a handler of `event` must take, as moc normalises it
    // ("(QObject*)"), or an empty array when the component has no such event.
    virtual QByteArray eventSignature(const QByteArray &event) const;
    void bindEvent(const QByteArray &event, QObject *target, int methodIndex);
    bool hasHandler(const QByteArray &event) const;

    // Destroys the owned components, the last created first.
    void DestroyComponents();

    // Called by the form reader when `child` is declared inside this component.
    // Returns false when this component cannot hold such a child.
    virtual bool insertChild(TComponent *child);
    // Called once every property of the whole form has been read.
    virtual void Loaded() {}

protected:
    // Runs the handler bound to `event`, if any, with Sender = this.
    template<typename... Args>
    void fire(const QByteArray &event, Args... args)
    {
        void *argv[] = {nullptr, nullptr, const_cast<void *>(static_cast<const void *>(&args))...};
        invoke(event, argv);
    }
    // The same with the arguments given as pointers (argv[0] the result, argv[1]
    // filled with the sender), for handlers that change an argument by reference.
    void invoke(const QByteArray &event, void **argv);

private:
    TComponent *m_owner = nullptr;
    QList<TComponent *> m_components;
    QHash<QByteArray, EventBinding> m_events;
    int m_tag = 0;
};

// The signatures of the common events.
inline const QByteArray kNotifySignature = QByteArrayLiteral("(QObject*)");
inline const QByteArray kMouseSignature =
    QByteArrayLiteral("(QObject*,Qt::MouseButton,Qt::KeyboardModifiers,int,int)");
