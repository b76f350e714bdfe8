#include <QApplication>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>

#include <cstdlib>

namespace {

// QTest releases a key with the modifiers it was pressed with, so the application goes on
// believing Shift or Ctrl is held. Every test starts with no modifier down.
class CModifierReset : public ::testing::EmptyTestEventListener {
    void OnTestStart(const ::testing::TestInfo&) override
    {
        if (QGuiApplication::queryKeyboardModifiers() == Qt::NoModifier)
            return;
        QWidget widget;
        QTest::keyRelease(&widget, Qt::Key_Shift, Qt::NoModifier);
    }
};

} // namespace

// Every suite runs under Qt's offscreen platform: real widgets and events, no display. A
// suite built with VELTRANE_TEST_SCALE_FACTOR runs on a screen scaled by that factor.
int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
#ifdef VELTRANE_TEST_SCALE_FACTOR
    setenv("QT_SCALE_FACTOR", VELTRANE_TEST_SCALE_FACTOR, 1);
#endif
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::UnitTest::GetInstance()->listeners().Append(new CModifierReset);
    return RUN_ALL_TESTS();
}
