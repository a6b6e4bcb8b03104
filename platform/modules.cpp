// Finding and loading the program's modules.
#include "platform/modules.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QPluginLoader>

using namespace Qt::StringLiterals;

QObject *loadModule(const QString &fileName, QString *error)
{
    const QString app = QCoreApplication::applicationDirPath();
    const QStringList folders{app, app + u"/../lib/kavro"_s, QStringLiteral(KAVRO_MODULE_INSTALL_DIR),
                              QStringLiteral(KAVRO_MODULE_BUILD_DIR)};
    error->clear();
    for (const QString &folder : folders) {
        const QString path = QDir::cleanPath(folder + u'/' + fileName);
        if (!QFileInfo::exists(path))
            continue;
        QPluginLoader loader(path);
        if (QObject *root = loader.instance())
            return root;
        *error = loader.errorString();
    }
    if (error->isEmpty())
        *error = u"The module %1 was not found"_s.arg(fileName);
    return nullptr;
}
