#include <QApplication>

#include <gtest/gtest.h>

namespace {

QtMessageHandler previousHandler = nullptr;

// The offscreen platform cannot apply window masks and says so at every
// resize of a borderless window; that notice is noise here.
void QuietHandler(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (message.contains(QStringLiteral("does not support setting window masks")))
        return;
    previousHandler(type, context, message);
}

} // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    previousHandler = qInstallMessageHandler(QuietHandler);
    QApplication application(argc, argv);
    return RUN_ALL_TESTS();
}
