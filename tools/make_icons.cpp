// Writes the program's icon as PNG files of the sizes given, into a hicolor-style tree:
//   make-icons FOLDER SIZE... writes FOLDER/SIZExSIZE/apps/org.velmora.Reader.png
#include <QDir>
#include <QGuiApplication>
#include <cstdio>
#include <cstdlib>

#include "app/pictures.h"

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: make-icons FOLDER SIZE...\n");
        return 2;
    }
    for (int i = 2; i < argc; ++i) {
        const int size = std::atoi(argv[i]);
        if (size < 1 || size > 1024) {
            std::fprintf(stderr, "make-icons: bad size %s\n", argv[i]);
            return 2;
        }
        const QString folder = QStringLiteral("%1/%2x%2/apps").arg(QString::fromLocal8Bit(argv[1])).arg(size);
        if (!QDir().mkpath(folder) || !vr::programIcon(size).save(folder + QStringLiteral("/org.velmora.Reader.png"))) {
            std::fprintf(stderr, "make-icons: cannot write %s\n", qPrintable(folder));
            return 1;
        }
    }
    return 0;
}
