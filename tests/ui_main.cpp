#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    // One application object for every window test; CTest runs them on the offscreen platform.
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
