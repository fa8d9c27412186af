#include <QApplication>

#include <gtest/gtest.h>

namespace {

QtMessageHandler previousHandler = nullptr;

// The offscreen platform cannot apply window masks and says so on every
// setMask; the tests read the mask from the widget, so the notice is noise.
void QuietHandler(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (message.contains(QStringLiteral("does not support setting window masks"))) {
        return;
    }
    previousHandler(type, context, message);
}

} // namespace

// The widgets need a QApplication for the whole run (offscreen under CTest).
int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    previousHandler = qInstallMessageHandler(QuietHandler);
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
