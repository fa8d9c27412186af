#include "app/TForm_Main.h"
#include "platform/Environment.h"

#include <QApplication>

// The desktop program. A first argument "install" (any case) is read by the
// start-up check; nothing else is needed on the command line.
int main(int argc, char* argv[]) {
    platform::InitEnvironment();
    QApplication application(argc, argv);
    app::TForm_Main window;
    window.show();
    return application.exec();
}
