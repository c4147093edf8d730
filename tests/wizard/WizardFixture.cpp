// The main of the window and shell tests.
#include <QApplication>
#include <QStyleHints>

#include <gtest/gtest.h>

int main(int argc, char* argv[])
{
    ::testing::InitGoogleTest(&argc, argv);
    if (GTEST_FLAG_GET(list_tests)) // CTest's discovery needs no display
        return RUN_ALL_TESTS();
    QApplication application(argc, argv);
    // The tests click at once: a button that has just appeared would take the
    // click for the end of a double click meant for the one before it.
    QGuiApplication::styleHints()->setMouseDoubleClickInterval(0);
    return RUN_ALL_TESTS();
}
