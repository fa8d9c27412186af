#pragma once

#include <QApplication>

#include <gtest/gtest.h>

namespace widgets::test {

inline QtMessageHandler previousMessageHandler = nullptr;

// The offscreen platform cannot apply window masks and says so on every
// setMask of a borderless window; tests read the mask from the widget, so
// the notice is noise.
inline void QuietMaskNotices(QtMsgType type, const QMessageLogContext& context,
                             const QString& message) {
    if (!message.contains(QStringLiteral("does not support setting window masks"))) {
        previousMessageHandler(type, context, message);
    }
}

// The main() of a GUI test executable: one QApplication for the whole run.
inline int RunGuiTests(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    previousMessageHandler = qInstallMessageHandler(QuietMaskNotices);
    QApplication application(argc, argv);
    return RUN_ALL_TESTS();
}

} // namespace widgets::test
