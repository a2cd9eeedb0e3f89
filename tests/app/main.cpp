// The GUI tests run on the offscreen platform inside one application object.
#include <gtest/gtest.h>

#include <QApplication>

#include <cstdlib>

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    if (GTEST_FLAG_GET(list_tests))
        return RUN_ALL_TESTS();
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    setenv("TAVRIN_NO_SPLASH", "1", 0);
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
