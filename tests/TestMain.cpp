#include <QApplication>
#include <gtest/gtest.h>

#include <cstdlib>

// Every suite runs under Qt's offscreen platform: real widgets and events, no display.
int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
