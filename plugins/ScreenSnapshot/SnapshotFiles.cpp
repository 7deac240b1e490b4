#include "SnapshotFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

QString ScreenshotFolder()
{
    QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    if (pictures.isEmpty())
        pictures = QDir::homePath();
    return QDir(pictures).filePath(QStringLiteral("Screenshots"));
}

QString UniqueScreenshotPath(const QString& folder, const QDateTime& when)
{
    const QString stem = QStringLiteral("Screenshot_") + when.toString(QStringLiteral("yyyy-MM-dd_HH-mm-ss"));
    const QDir dir(folder);
    for (int n = 1; n < 1000; ++n) {
        const QString name = n == 1 ? stem + QStringLiteral(".png") : QStringLiteral("%1_%2.png").arg(stem).arg(n);
        const QString path = dir.filePath(name);
        if (!QFileInfo::exists(path))
            return path;
    }
    return {};
}
