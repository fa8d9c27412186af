#include "app/TForm_Main.h"
#include "platform/Environment.h"
#include "widgets/ChromeArt.h"

#include <QApplication>
#include <QIcon>

// The desktop program. A first argument "install" (any case) is read by the
// start-up check; nothing else is needed on the command line.
int main(int argc, char* argv[]) {
    platform::InitEnvironment();
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
