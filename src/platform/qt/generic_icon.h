#pragma once

#include <QImage>
#include <QSize>
#include <string>

#include "platform/image.h"

namespace calyxa {

// The icon of an application that brings none of its own: a rounded tile whose hue follows
// `seed` (neighbours stay distinguishable) with a small grid emblem, drawn at any size.
QImage drawGenericApplicationIcon(QSize pixels, const std::string& seed);

// The same as an image of `edge` × `edge` points.
Image qtGenericApplicationIcon(const std::string& seed, double edge);

}  // namespace calyxa
