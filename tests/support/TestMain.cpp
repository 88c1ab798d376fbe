// Every test process gets its own configuration and runtime folders before
// anything touches QSettings (Qt fixes the settings path at first use), runs
// on the offscreen platform and in the program's own de_DE locale unless the
// environment says otherwise.
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <QDir>

#if defined(ORVEL_TEST_GUI)
#include <QApplication>
using TestApplication = QApplication;
#elif defined(ORVEL_TEST_GFX)
#include <QGuiApplication>
using TestApplication = QGuiApplication;
#else
#include <QCoreApplication>
using TestApplication = QCoreApplication;
#endif

int main(int argc, char **argv)
{
    QDir().mkpath(orvel::test::ConfigDir());
    QDir().mkpath(orvel::test::RuntimeDir());
    QDir().mkpath(orvel::test::TempDir());
    QFile::setPermissions(orvel::test::RuntimeDir(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("XDG_CONFIG_HOME", orvel::test::ConfigDir().toLocal8Bit());
    qputenv("XDG_RUNTIME_DIR", orvel::test::RuntimeDir().toLocal8Bit());
    qputenv("TMPDIR", orvel::test::TempDir().toLocal8Bit());
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("ORVEL_LOCALE"))
        qputenv("ORVEL_LOCALE", "de_DE");

    TestApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
