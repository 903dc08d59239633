#include "imageplugins.h"

#include <QIconEngine>
#include <QImageReader>
#include <QPainter>
#include <QProxyStyle>
#include <QStyleOption>

#include <cmath>

namespace zentorix {
namespace {

// The menu bar asks the style for its overflow button's icon as it is built;
// this one reads it when first drawn.
class DeferredIconEngine : public QIconEngine {
public:
    DeferredIconEngine(const QStyle* style, QStyle::StandardPixmap which) : style_(style), which_(which) { }

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override
    {
        Icon().paint(painter, rect, Qt::AlignCenter, mode, state);
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override
    {
        return Icon().pixmap(size, mode, state);
    }
    QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override
    {
        return Icon().actualSize(size, mode, state);
    }
    QIconEngine* clone() const override { return new DeferredIconEngine(style_, which_); }

private:
    const QIcon& Icon()
    {
        if (icon_.isNull())
            icon_ = style_->standardIcon(which_);
        return icon_;
    }

    const QStyle* style_;
    QStyle::StandardPixmap which_;
    QIcon icon_;
};

class DeferredOverflowIcons : public QProxyStyle {
public:
    QIcon standardIcon(StandardPixmap which, const QStyleOption* option, const QWidget* widget) const override
    {
        if (which == SP_ToolBarHorizontalExtensionButton || which == SP_ToolBarVerticalExtensionButton)
            return QIcon(new DeferredIconEngine(baseStyle(), which));
        return QProxyStyle::standardIcon(which, option, widget);
    }

    // At a fractional scale a frame may start half a device pixel into a
    // row, and its top line is drawn in the row above, outside the widget:
    // it is drawn once more, moved down into the widget's first row.
    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
        const QWidget* widget) const override
    {
        QProxyStyle::drawPrimitive(element, option, painter, widget);
        if (element != PE_Frame)
            return;
        const qreal top = painter->deviceTransform().map(QPointF(0, option->rect.top())).y();
        const qreal below = std::ceil(top) - top;
        if (below > 0.01) {
            painter->save();
            painter->translate(0, below / painter->deviceTransform().m22());
            QProxyStyle::drawPrimitive(element, option, painter, widget);
            painter->restore();
        }
    }
};

}  // namespace

QPixmap ReadPng(const QString& path)
{
    QImageReader reader(path, "png");
    reader.setAutoDetectImageFormat(false);
    return QPixmap::fromImage(reader.read());
}

QStyle* NewStyleWithDeferredIcons()
{
    return new DeferredOverflowIcons;
}

}  // namespace zentorix
