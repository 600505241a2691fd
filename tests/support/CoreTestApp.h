#pragma once

#include <QCoreApplication>

// The one QCoreApplication of a test program that needs events or timers
// without widgets, made on first use.
inline QCoreApplication &coreTestApp()
{
    static int argc = 1;
    static char name[] = "velmora-test";
    static char *argv[] = {name, nullptr};
    static QCoreApplication instance(argc, argv);
    return instance;
}
