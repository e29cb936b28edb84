// The main() of the GoogleTest programs that need a Qt application object: the
// window's (QApplication, built with TAVRIK_TEST_WIDGETS) and the real serial port's.
#include <gtest/gtest.h>

#ifdef TAVRIK_TEST_WIDGETS
#include <QApplication>
using TestApplication = QApplication;
#else
#include <QCoreApplication>
using TestApplication = QCoreApplication;
#endif

int main(int argc, char** argv) {
    const TestApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
