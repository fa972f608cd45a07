#include <gtest/gtest.h>

#include <QApplication>
#include <QTemporaryDir>

// Every test program gets a QApplication, so widget tests can build real widgets offscreen.
int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    // The browser view shares GL contexts with its window; must be set before the application.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    // The browser's profile keeps cookies and cache on disk under the user's data and cache
    // folders: give every run folders of its own, removed at its end, so no run sees another's.
    QTemporaryDir home;
    qputenv("XDG_DATA_HOME", (home.path() + "/data").toLocal8Bit());
    qputenv("XDG_CACHE_HOME", (home.path() + "/cache").toLocal8Bit());
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
