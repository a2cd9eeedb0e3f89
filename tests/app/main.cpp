// The GUI tests run on the offscreen platform inside one application object.
#include <gtest/gtest.h>

#include <QApplication>
#include <QStandardPaths>

#include <cstdlib>

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    if (GTEST_FLAG_GET(list_tests))
        return RUN_ALL_TESTS();
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    setenv("TAVRIN_NO_SPLASH", "1", 0);
    QApplication app(argc, argv);
    // Settings the tests change stay out of the user's own.
    QStandardPaths::setTestModeEnabled(true);
    return RUN_ALL_TESTS();
}
