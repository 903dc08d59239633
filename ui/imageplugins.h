// Start-up without Qt's image plugins. Reading a picture with its format
// left to detection makes Qt load every image plugin (GIF, ICO, JPEG and
// libjpeg) to ask whether it reads the file: some 3 ms of a 40 ms start,
// which the start-up benchmark counts against the floor. Pictures read at
// start go through here; a test fails when an image plugin is loaded.
#pragma once

#include <QPixmap>
#include <QString>

class QStyle;

namespace zentorix {

// A PNG file read as PNG.
QPixmap ReadPng(const QString& path);

// The desktop's style, but the menu bar's overflow icons are read when first
// drawn (in a window of fixed size, never) instead of when the bar is built,
// and a frame keeps its top and bottom lines at fractional scales.
QStyle* NewStyleWithDeferredIcons();

}  // namespace zentorix
