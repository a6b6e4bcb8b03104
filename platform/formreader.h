// Reads a stored form description and builds the form's components from it.
#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>
#include <memory>
#include <vector>

class TComponent;
class TForm;

// The parsed text of a form description: a tree of `object Name: TClass ... end`
// blocks holding `Property = value` lines.
struct FormValue
{
    enum Kind { Integer, String, Ident, Set, List };
    Kind kind = Integer;
    qint64 integer = 0;
    QString text;           // String and Ident
    QList<FormValue> items; // Set (identifiers) and List (strings or integers)
};

struct FormProperty
{
    QString name;
    FormValue value;
    int line = 0;
};

struct FormObject
{
    QString name;
    QString className;
    int line = 0;
    std::vector<FormProperty> properties;
    std::vector<std::unique_ptr<FormObject>> children;
};

class FormReader
{
public:
    // Parses `text`; raises EReadError naming `fileName`, the line and the fault.
    static std::unique_ptr<FormObject> parse(const QString &text, const QString &fileName);
    // Reads the description stored at `resourcePath` into `form`: creates each
    // component by class name, sets its properties, binds its events to the
    // form's handlers of those names, and assigns the form's field of the same
    // name. Raises EReadError (EClassNotFound for an unknown class).
    static void read(TForm *form, const QString &resourcePath);
    static void build(TForm *form, const FormObject &root, const QString &fileName);
};
