#include <QApplication>

#include <gtest/gtest.h>

// The views need a QApplication for the whole run (offscreen under CTest).
int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
