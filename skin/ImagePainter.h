#pragma once
// Draws an image attribute text (see ImageAttr.h) into a rectangle: the source part of the
// picture, stretched to the destination, with the corners kept unscaled when given.

#include <QRect>
#include <string_view>

class QPainter;

namespace skin {

// False when the text names no picture or the picture cannot be loaded.
bool PaintSkinImage(QPainter& painter, const QRect& area, std::string_view imageText);

} // namespace skin
