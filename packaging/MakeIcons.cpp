// quendic-make-icons OUTDIR: writes the program's icon, as the window title
// strip draws it, as OUTDIR/SIZExSIZE/apps/ID.png for the sizes of the
// hicolor theme the package installs. Runs at build time on the offscreen
// platform; exit status 1 when a file cannot be written.
#include "widgets/ChromeArt.h"

#include <QDir>
#include <QGuiApplication>
#include <QPixmap>

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fputs("usage: quendic-make-icons OUTDIR ID\n", stderr);
        return 1;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    const QString out = QString::fromLocal8Bit(argv[1]);
    const QString id = QString::fromLocal8Bit(argv[2]);
    for (const int size : {16, 24, 32, 48, 64, 128, 256}) {
        const QString folder = QStringLiteral("%1/%2x%2/apps").arg(out).arg(size);
        if (!QDir().mkpath(folder) ||
            !widgets::chrome_art::AppIcon(size, 1.0).save(folder + QLatin1Char('/') + id +
                                                          QStringLiteral(".png"))) {
            std::fprintf(stderr, "quendic-make-icons: cannot write %s\n", qPrintable(folder));
            return 1;
        }
    }
    return 0;
}
