// The main() of our Qt Test programs: a TApplication instead of a bare QApplication.
#pragma once

#include "platform/application.h"

#include <QTest>

#define KAVRO_TEST_MAIN(TestClass)                                                        \
    int main(int argc, char *argv[])                                                      \
    {                                                                                     \
        TApplication::prepare();                                                          \
        TApplication app(argc, argv);                                                     \
        app.setTitle(QStringLiteral("Kavro"));                                            \
        TestClass test;                                                                   \
        return QTest::qExec(&test, argc, argv);                                           \
    }
