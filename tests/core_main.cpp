#include <QCoreApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    // Some core code (timers, file copies with progress) wants an application object.
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
