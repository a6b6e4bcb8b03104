// The form description parser and the builder that turns it into components.
#include "platform/formreader.h"

#include "platform/exceptions.h"
#include "platform/forms.h"
#include "platform/graphics.h"

#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QMetaProperty>

using namespace Qt::StringLiterals;

namespace {

// Guards against descriptions nested deeper than any real form, which would
// otherwise exhaust the stack.
constexpr int kMaxDepth = 64;

class Parser
{
public:
    Parser(const QString &text, const QString &fileName) : m_text(text), m_file(fileName) {}

    std::unique_ptr<FormObject> parseRoot()
    {
        skipSpace();
        auto root = parseObject(0);
        skipSpace();
        if (!atEnd())
            fail(u"Text after the final 'end'"_s);
        return root;
    }

private:
    [[noreturn]] void fail(const QString &what) const
    {
        throw EReadError(u"%1, line %2: %3"_s.arg(m_file).arg(m_line).arg(what));
    }
    bool atEnd() const { return m_pos >= m_text.size(); }
    QChar peek() const { return atEnd() ? QChar() : m_text[m_pos]; }

    void skipSpace()
    {
        while (!atEnd()) {
            const QChar c = m_text[m_pos];
            if (c == u'\n') {
                ++m_line;
                ++m_pos;
            } else if (c.isSpace()) {
                ++m_pos;
            } else if (c == u'/' && m_pos + 1 < m_text.size() && m_text[m_pos + 1] == u'/') {
                while (!atEnd() && m_text[m_pos] != u'\n')
                    ++m_pos;
            } else {
                break;
            }
        }
    }

    static bool isIdentStart(QChar c) { return c.isLetter() || c == u'_'; }
    static bool isIdentChar(QChar c) { return c.isLetterOrNumber() || c == u'_'; }

    QString ident(const QString &what)
    {
        skipSpace();
        if (!isIdentStart(peek()))
            fail(u"%1 expected"_s.arg(what));
        const qsizetype start = m_pos;
        while (!atEnd() && isIdentChar(m_text[m_pos]))
            ++m_pos;
        return m_text.mid(start, m_pos - start);
    }

    // A property name: identifiers joined by dots (Font.Name).
    QString propertyName()
    {
        QString name = ident(u"Property name"_s);
        while (peek() == u'.') {
            ++m_pos;
            name += u'.' + ident(u"Property name"_s);
        }
        return name;
    }

    void expect(QChar c)
    {
        skipSpace();
        if (peek() != c)
            fail(u"'%1' expected"_s.arg(c));
        ++m_pos;
    }

    std::unique_ptr<FormObject> parseObject(int depth)
    {
        if (depth > kMaxDepth)
            fail(u"Components nested too deeply"_s);
        skipSpace();
        const int line = m_line;
        if (ident(u"'object'"_s).compare(u"object"_s, Qt::CaseInsensitive) != 0)
            fail(u"'object' expected"_s);
        auto obj = std::make_unique<FormObject>();
        obj->line = line;
        obj->name = ident(u"Component name"_s);
        expect(u':');
        obj->className = ident(u"Class name"_s);
        for (;;) {
            skipSpace();
            if (atEnd())
                fail(u"'end' expected before the end of the text"_s);
            const qsizetype save = m_pos;
            const int saveLine = m_line;
            const QString word = ident(u"Property, 'object' or 'end'"_s);
            if (word.compare(u"end"_s, Qt::CaseInsensitive) == 0 && peek() != u'.') {
                skipSpace();
                if (peek() != u'=')
                    return obj;
            }
            m_pos = save;
            m_line = saveLine;
            if (word.compare(u"object"_s, Qt::CaseInsensitive) == 0) {
                obj->children.push_back(parseObject(depth + 1));
                continue;
            }
            FormProperty prop;
            prop.line = m_line;
            prop.name = propertyName();
            expect(u'=');
            prop.value = value(depth);
            obj->properties.push_back(std::move(prop));
        }
    }

    FormValue value(int depth)
    {
        if (depth > kMaxDepth)
            fail(u"Values nested too deeply"_s);
        skipSpace();
        const QChar c = peek();
        FormValue v;
        if (c == u'\'' || c == u'#') {
            v.kind = FormValue::String;
            v.text = string();
        } else if (c == u'-' || c == u'+' || c == u'$' || c.isDigit()) {
            v.kind = FormValue::Integer;
            v.integer = integer();
        } else if (c == u'[') {
            ++m_pos;
            v.kind = FormValue::Set;
            skipSpace();
            if (peek() != u']') {
                for (;;) {
                    FormValue item;
                    item.kind = FormValue::Ident;
                    item.text = ident(u"Set element"_s);
                    v.items.append(item);
                    skipSpace();
                    if (peek() == u',') {
                        ++m_pos;
                        continue;
                    }
                    break;
                }
            }
            expect(u']');
        } else if (c == u'(') {
            ++m_pos;
            v.kind = FormValue::List;
            for (;;) {
                skipSpace();
                if (atEnd())
                    fail(u"')' expected"_s);
                if (peek() == u')') {
                    ++m_pos;
                    break;
                }
                v.items.append(value(depth + 1));
            }
        } else if (isIdentStart(c)) {
            v.kind = FormValue::Ident;
            v.text = ident(u"Value"_s);
            while (peek() == u'.') {
                ++m_pos;
                v.text += u'.' + ident(u"Value"_s);
            }
        } else {
            fail(atEnd() ? u"Value expected before the end of the text"_s : u"Invalid value"_s);
        }
        return v;
    }

    qint64 integer()
    {
        bool negative = false;
        if (peek() == u'-' || peek() == u'+') {
            negative = peek() == u'-';
            ++m_pos;
        }
        int base = 10;
        if (peek() == u'$') {
            base = 16;
            ++m_pos;
        }
        const qsizetype start = m_pos;
        while (!atEnd() && (base == 16 ? isxdigit(m_text[m_pos].toLatin1()) && m_text[m_pos].unicode() < 128
                                       : m_text[m_pos].isDigit()))
            ++m_pos;
        bool ok = false;
        const qint64 n = m_text.mid(start, m_pos - start).toLongLong(&ok, base);
        if (!ok || n > 0xFFFFFFFFLL)
            fail(u"Invalid integer"_s);
        return negative ? -n : n;
    }

    // 'quoted text' with '' for a quote, #code for a character, and '+' joining parts.
    QString string()
    {
        QString out;
        for (;;) {
            skipSpace();
            if (peek() == u'\'') {
                ++m_pos;
                for (;;) {
                    if (atEnd() || m_text[m_pos] == u'\n')
                        fail(u"Unterminated string"_s);
                    if (m_text[m_pos] == u'\'') {
                        if (m_pos + 1 < m_text.size() && m_text[m_pos + 1] == u'\'') {
                            out += u'\'';
                            m_pos += 2;
                            continue;
                        }
                        ++m_pos;
                        break;
                    }
                    out += m_text[m_pos++];
                }
            } else if (peek() == u'#') {
                ++m_pos;
                const qsizetype start = m_pos;
                while (!atEnd() && m_text[m_pos].isDigit())
                    ++m_pos;
                bool ok = false;
                const uint code = m_text.mid(start, m_pos - start).toUInt(&ok);
                if (!ok || code > 0xFFFF)
                    fail(u"Invalid character code"_s);
                out += QChar(char16_t(code));
            } else {
                break;
            }
            // Parts written together ('a'#13'b') form one string, and so do
            // parts joined by '+'; parts apart are separate (list items).
            if (peek() == u'\'' || peek() == u'#')
                continue;
            const qsizetype savePos = m_pos;
            const int saveLine = m_line;
            skipSpace();
            if (peek() != u'+') {
                m_pos = savePos;
                m_line = saveLine;
                break;
            }
            ++m_pos;
            skipSpace();
            if (peek() != u'\'' && peek() != u'#')
                fail(u"String expected after '+'"_s);
        }
        return out;
    }

    const QString &m_text;
    QString m_file;
    qsizetype m_pos = 0;
    int m_line = 1;
};

struct Fixup
{
    QObject *target;
    QMetaProperty property;
    QString reference;
    QString where;
};

class Builder
{
public:
    Builder(TForm *form, const QString &fileName) : m_form(form), m_file(fileName) {}

    void build(const FormObject &root)
    {
        const QString formClass = QString::fromLatin1(m_form->metaObject()->className());
        if (root.className != formClass)
            fail(root.line, u"The description is of %1, not of %2"_s.arg(root.className, formClass));
        m_form->setName(root.name);
        applyProperties(m_form, root);
        createChildren(m_form, root);
        for (const Fixup &f : m_fixups) {
            TComponent *ref = m_form->FindComponent(f.reference);
            if (!ref && f.reference.compare(m_form->Name(), Qt::CaseInsensitive) == 0)
                ref = m_form;
            if (!ref)
                throw EReadError(u"%1: Invalid reference %2"_s.arg(f.where, f.reference));
            if (!f.property.write(f.target, QVariant::fromValue(static_cast<QObject *>(ref)))
                || f.property.read(f.target).value<QObject *>() != ref)
                throw EReadError(u"%1: %2 is not of the right kind"_s.arg(f.where, f.reference));
        }
        for (TComponent *c : m_form->Components())
            c->Loaded();
        m_form->Loaded();
    }

private:
    [[noreturn]] void fail(int line, const QString &what) const
    {
        throw EReadError(u"%1, line %2: %3"_s.arg(m_file).arg(line).arg(what));
    }

    void createChildren(TComponent *parent, const FormObject &obj)
    {
        for (const auto &child : obj.children) {
            if (m_form->FindComponent(child->name) || child->name == m_form->Name())
                fail(child->line, u"A component named %1 already exists"_s.arg(child->name));
            TComponent *c = ComponentRegistry::create(child->className, m_form);
            if (!c)
                throw EClassNotFound(u"%1, line %2: Class %3 not found"_s.arg(m_file).arg(child->line).arg(child->className));
            c->setName(child->name);
            if (!parent->insertChild(c))
                fail(child->line, u"%1 cannot hold %2"_s.arg(parent->Name(), child->name));
            assignField(*child, c);
            applyProperties(c, *child);
            createChildren(c, *child);
        }
    }

    // The form's field of the component's name (a Q_PROPERTY MEMBER), if any.
    void assignField(const FormObject &obj, TComponent *c)
    {
        const QMetaObject *mo = m_form->metaObject();
        const int index = mo->indexOfProperty(obj.name.toLatin1().constData());
        if (index < 0)
            return;
        const QMetaProperty field = mo->property(index);
        if (!(field.metaType().flags() & QMetaType::PointerToQObject))
            return;
        if (!field.write(m_form, QVariant::fromValue(static_cast<QObject *>(c)))
            || field.read(m_form).value<QObject *>() != c)
            fail(obj.line, u"Field %1 of %2 is not of class %3"_s.arg(obj.name, QString::fromLatin1(mo->className()), obj.className));
    }

    void applyProperties(TComponent *c, const FormObject &obj)
    {
        for (const FormProperty &p : obj.properties)
            applyProperty(c, obj, p);
    }

    void applyProperty(TComponent *c, const FormObject &obj, const FormProperty &p)
    {
        const QString where = u"%1, line %2: Error reading %3.%4"_s.arg(m_file).arg(p.line).arg(obj.name, p.name);
        if (p.name.startsWith(u"On"_s) && !p.name.contains(u'.')) {
            bindEvent(c, p, where);
            return;
        }
        // Dotted names reach into sub-objects (Font.Name).
        QObject *target = c;
        const QStringList path = p.name.split(u'.');
        for (qsizetype i = 0; i + 1 < path.size(); ++i) {
            const QMetaProperty sub = findProperty(target, path[i], where);
            target = sub.read(target).value<QObject *>();
            if (!target)
                throw EReadError(u"%1: %2 has no properties"_s.arg(where, path[i]));
        }
        const QMetaProperty prop = findProperty(target, path.last(), where);
        if (!prop.isWritable())
            throw EReadError(u"%1: Property %2 cannot be set"_s.arg(where, path.last()));
        const QMetaType type = prop.metaType();
        if (type.flags() & QMetaType::PointerToQObject) {
            if (p.value.kind != FormValue::Ident)
                throw EReadError(u"%1: A component name expected"_s.arg(where));
            m_fixups.push_back({target, prop, p.value.text, where});
            return;
        }
        const QVariant v = convert(prop, p.value, where);
        bool written = false;
        try {
            written = prop.write(target, v);
        } catch (const Exception &e) {
            // A setter that refuses the value says why.
            throw EReadError(u"%1: %2"_s.arg(where, e.message()));
        }
        if (!written)
            throw EReadError(u"%1: Invalid property value"_s.arg(where));
    }

    static QMetaProperty findProperty(QObject *target, const QString &name, const QString &where)
    {
        const int index = target->metaObject()->indexOfProperty(name.toLatin1().constData());
        if (index < 0)
            throw EReadError(u"%1: Property %2 does not exist"_s.arg(where, name));
        return target->metaObject()->property(index);
    }

    QVariant convert(const QMetaProperty &prop, const FormValue &v, const QString &where)
    {
        auto bad = [&](const QString &expected) -> EReadError {
            return EReadError(u"%1: %2 expected"_s.arg(where, expected));
        };
        if (prop.isEnumType()) {
            const QMetaEnum e = prop.enumerator();
            if (prop.isFlagType()) {
                if (v.kind != FormValue::Set)
                    throw bad(u"A set"_s);
                int flags = 0;
                for (const FormValue &item : v.items) {
                    bool ok = false;
                    flags |= e.keyToValue(item.text.toLatin1().constData(), &ok);
                    if (!ok)
                        throw EReadError(u"%1: Invalid set element %2"_s.arg(where, item.text));
                }
                return flags;
            }
            if (v.kind != FormValue::Ident)
                throw bad(u"An identifier"_s);
            bool ok = false;
            const int value = e.keyToValue(v.text.toLatin1().constData(), &ok);
            if (!ok)
                throw EReadError(u"%1: Invalid property value %2"_s.arg(where, v.text));
            return value;
        }
        switch (prop.metaType().id()) {
        case QMetaType::Int:
            if (v.kind != FormValue::Integer || v.integer < INT_MIN || v.integer > INT_MAX)
                throw bad(u"An integer"_s);
            return int(v.integer);
        case QMetaType::Bool:
            if (v.kind == FormValue::Ident && v.text.compare(u"True"_s, Qt::CaseInsensitive) == 0)
                return true;
            if (v.kind == FormValue::Ident && v.text.compare(u"False"_s, Qt::CaseInsensitive) == 0)
                return false;
            throw bad(u"True or False"_s);
        case QMetaType::QString:
            if (v.kind != FormValue::String)
                throw bad(u"A string"_s);
            return v.text;
        case QMetaType::QStringList: {
            QStringList list;
            if (v.kind == FormValue::String)
                return QStringList{v.text};
            if (v.kind != FormValue::List && v.kind != FormValue::Set)
                throw bad(u"A list of strings"_s);
            for (const FormValue &item : v.items) {
                if (item.kind != FormValue::String && item.kind != FormValue::Ident)
                    throw bad(u"A list of strings"_s);
                list.append(item.text);
            }
            return list;
        }
        case QMetaType::QColor:
            if (v.kind == FormValue::Ident) {
                if (const auto c = colorFromIdent(v.text))
                    return *c;
                throw EReadError(u"%1: Unknown colour %2"_s.arg(where, v.text));
            }
            if (v.kind == FormValue::Integer && v.integer >= 0 && v.integer <= 0xFFFFFF)
                // Colour numbers are stored blue, green, red from the high byte down.
                return QColor(int(v.integer & 0xFF), int((v.integer >> 8) & 0xFF), int((v.integer >> 16) & 0xFF));
            throw bad(u"A colour"_s);
        case QMetaType::QImage:
            if (v.kind != FormValue::String)
                throw bad(u"A picture name"_s);
            try {
                return TPicture::fromResource(v.text);
            } catch (const Exception &e) {
                throw EReadError(u"%1: %2"_s.arg(where, e.message()));
            }
        default:
            throw EReadError(u"%1: Properties of type %2 cannot be read"_s.arg(where, QString::fromLatin1(prop.typeName())));
        }
    }

    void bindEvent(TComponent *c, const FormProperty &p, const QString &where)
    {
        const QByteArray event = p.name.toLatin1();
        const QByteArray signature = c->eventSignature(event);
        if (signature.isEmpty())
            throw EReadError(u"%1: Property %2 does not exist"_s.arg(where, p.name));
        if (p.value.kind != FormValue::Ident)
            throw EReadError(u"%1: A handler name expected"_s.arg(where));
        const QByteArray method = QMetaObject::normalizedSignature(QByteArray(p.value.text.toLatin1() + signature).constData());
        const QMetaObject *mo = m_form->metaObject();
        const int index = mo->indexOfMethod(method.constData());
        if (index < 0)
            throw EReadError(u"%1: Handler %2 not found in %3 (it must be %4)"_s.arg(
                where, p.value.text, QString::fromLatin1(mo->className()), QString::fromLatin1(method)));
        c->bindEvent(event, m_form, index);
    }

    TForm *m_form;
    QString m_file;
    std::vector<Fixup> m_fixups;
};

} // namespace

std::unique_ptr<FormObject> FormReader::parse(const QString &text, const QString &fileName)
{
    return Parser(text, fileName).parseRoot();
}

void FormReader::read(TForm *form, const QString &resourcePath)
{
    const QString fileName = QFileInfo(resourcePath).fileName();
    QFile file(resourcePath);
    if (!file.open(QIODevice::ReadOnly))
        throw EReadError(u"Form description %1 not found"_s.arg(fileName));
    const QByteArray bytes = file.readAll();
    const QString text = QString::fromUtf8(bytes);
    if (text.toUtf8() != bytes)
        throw EReadError(u"%1: The text is not valid UTF-8"_s.arg(fileName));
    build(form, *parse(text, fileName), fileName);
}

void FormReader::build(TForm *form, const FormObject &root, const QString &fileName)
{
    Builder(form, fileName).build(root);
}
