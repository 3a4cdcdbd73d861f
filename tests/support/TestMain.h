#pragma once

#include <QApplication>
#include <QTemporaryDir>
#include <QTest>

#include <cstdlib>

// Every test executable gets a fresh home folder, so that the application folder
// under it is private to the run.
#define TAVRIMEX_TEST_MAIN_IMPL(TestObject, AppType)                                                                   \
    int main(int argc, char** argv)                                                                                    \
    {                                                                                                                  \
        QTemporaryDir home;                                                                                            \
        if (!home.isValid()) {                                                                                         \
            return 2;                                                                                                  \
        }                                                                                                              \
        qputenv("HOME", home.path().toLocal8Bit());                                                                    \
        AppType app(argc, argv);                                                                                       \
        TestObject tc;                                                                                                 \
        return QTest::qExec(&tc, argc, argv);                                                                          \
    }

#define TAVRIMEX_TEST_MAIN(TestObject) TAVRIMEX_TEST_MAIN_IMPL(TestObject, QApplication)
#define TAVRIMEX_TEST_GUILESS_MAIN(TestObject) TAVRIMEX_TEST_MAIN_IMPL(TestObject, QCoreApplication)
