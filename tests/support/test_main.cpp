// Every test program runs inside a QApplication on the offscreen platform, so widgets,
// timers and printing work headless.
#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen")
                                                                      : qgetenv("QT_QPA_PLATFORM"));
    if (qEnvironmentVariableIsEmpty("QLNREC_SOURCE_DIR")) {
        qputenv("QLNREC_SOURCE_DIR", QLNREC_TEST_SOURCE_DIR);
    }
    if (qEnvironmentVariableIsEmpty("QLNREC_BINARY_DIR")) {
        qputenv("QLNREC_BINARY_DIR", QLNREC_TEST_BINARY_DIR);
    }
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
