// The program's own modules (kavro-*.so), loaded when first needed.
#pragma once

#include <QString>

class QObject;

// Loads the module `fileName` from beside the program, from its library
// folder once installed, or from the build tree (for the tests), and returns
// its root object; nullptr with `error` set when there is none to load.
QObject *loadModule(const QString &fileName, QString *error);
