#pragma once
// Where a saved capture goes: "Screenshots" under the user's pictures folder, one file per save,
// named after the moment it was taken and never written over an existing one.

#include <QDateTime>
#include <QString>

// The folder for captures (not created here).
QString ScreenshotFolder();
// "Screenshot_2026-12-09_05-40-29.png" in `folder`, or "..._2.png", "..._3.png"... when the name
// is taken. Empty when no free name is found.
QString UniqueScreenshotPath(const QString& folder, const QDateTime& when);
