#include "app/TForm_Main.h"
#include "download/TSoftUpdate.h"
#include "platform/Environment.h"
#include "platform/RunLock.h"
#include "widgets/ChromeArt.h"

#include <QApplication>
#include <QIcon>

#include <chrono>
#include <optional>

// The desktop program. A first argument "install" (any case) is read by the
// start-up check; nothing else is needed on the command line.
int main(int argc, char* argv[]) {
    platform::InitEnvironment();
    // Held for the program's whole life: the updater fu replaces the
    // program's files only once every running instance has let go. While fu
    // is at work a new instance waits for it (or starts without the lock
    // after a minute).
    const std::optional<platform::RunLock> runLock = platform::RunLock::Shared(
        download::TSoftUpdate::RunningProgramName(), std::chrono::seconds(60));
    QApplication application(argc, argv);
    // Matches the installed desktop entry, so docks and task bars find its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.quendic.Quendic"));
    QIcon icon;
    for (const int size : {16, 32, 48, 64, 128})
        icon.addPixmap(widgets::chrome_art::AppIcon(size, 1.0));
    QApplication::setWindowIcon(icon);
    app::TForm_Main window;
    window.show();
    return application.exec();
}
