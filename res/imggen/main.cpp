// orvelle_imggen <ImgRes folder> [stamp file]
// Draws the skin pictures into the given folder. The stamp file, written last, lists the
// pictures and tells the build that the folder is complete.

#include "SkinImageGenerator.h"

#include <QFile>
#include <QGuiApplication>
#include <QTextStream>

#include <cstdio>

int main(int argc, char* argv[])
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <ImgRes folder> [stamp file]\n", argv[0]);
        return 2;
    }
    // Text on the preview slides needs the font database, which needs a GUI application;
    // no display is wanted for drawing into images.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QGuiApplication app(argc, argv);

    SkinImageGenerator generator(QString::fromLocal8Bit(argv[1]));
    const bool ok = generator.GenerateAll();
    for (const QString& failed : generator.Failures()) {
        std::fprintf(stderr, "orvelle_imggen: cannot write %s\n", qPrintable(failed));
    }
    if (!ok) {
        return 1;
    }
    if (argc > 2) {
        QFile stamp(QString::fromLocal8Bit(argv[2]));
        if (!stamp.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text)) {
            std::fprintf(stderr, "orvelle_imggen: cannot write %s\n", argv[2]);
            return 1;
        }
        QTextStream out(&stamp);
        for (const QString& name : generator.Written()) {
            out << name << '\n';
        }
    }
    return 0;
}
