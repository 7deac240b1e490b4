#pragma once
// A QApplication on two offscreen monitors of `width` x `height` side by side, scaled by
// `factor`. Qt reads the screens and the factor once, when the application is made, so a test
// program that needs them makes this application before any other.

#include "TempDir.h"

#include <QApplication>

#include <cstdlib>
#include <memory>
#include <string>

inline std::unique_ptr<QApplication> MakeScaledOffscreenApp(const TempDir& dir, int width, int height, const char* factor)
{
    const std::string size = "\"width\":" + std::to_string(width) + ",\"height\":" + std::to_string(height);
    WriteWholeFile(dir.file("screens.json"), "{\"screens\":[{\"name\":\"left\",\"x\":0,\"y\":0," + size +
                                                 ",\"logicalDpi\":96},{\"name\":\"right\",\"x\":" +
                                                 std::to_string(width) + ",\"y\":0," + size + ",\"logicalDpi\":96}]}");
    setenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + dir.file("screens.json")).c_str(), 1);
    setenv("QT_SCALE_FACTOR", factor, 1);
    static int argc = 1;
    static char name[] = "orvelle_scaled_test";
    static char* argv[] = {name, nullptr};
    return std::make_unique<QApplication>(argc, argv);
}
