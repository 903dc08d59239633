#include "pictures.h"

#include <QImageReader>

// The pictures live in a static library: naming them keeps the linker from
// dropping them.
static void LoadResources()
{
    Q_INIT_RESOURCE(resources);
}

namespace zentorix {
namespace {

// A PNG file read as PNG. With format detection on, as QIcon::addFile reads,
// Qt first loads every image plugin (GIF, ICO, JPEG and libjpeg) to ask
// whether it reads the file: some 3 ms of start-up.
QPixmap ReadPng(const QString& path)
{
    QImageReader reader(path, "png");
    reader.setAutoDetectImageFormat(false);
    return QPixmap::fromImage(reader.read());
}

}  // namespace

QIcon ProgramIcon()
{
    LoadResources();
    QIcon icon;
    // The sizes compiled in: a window icon is never shown larger.
    for (const int size : {16, 24, 32, 48, 64})
        icon.addPixmap(ReadPng(QStringLiteral(":/zentorix/icons/zentorix-%1.png").arg(size)));
    return icon;
}

}  // namespace zentorix
