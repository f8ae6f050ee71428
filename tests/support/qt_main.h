// main() for test programs that paint: a QGuiApplication on the offscreen platform, then gtest.
#pragma once
#include <QGuiApplication>
#include <gtest/gtest.h>

#define VR_GTEST_MAIN_WITH_GUI()                                                                                       \
    int main(int argc, char** argv)                                                                                    \
    {                                                                                                                  \
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))                                                            \
            qputenv("QT_QPA_PLATFORM", "offscreen");                                                                   \
        QGuiApplication app(argc, argv);                                                                               \
        ::testing::InitGoogleTest(&argc, argv);                                                                        \
        return RUN_ALL_TESTS();                                                                                        \
    }
