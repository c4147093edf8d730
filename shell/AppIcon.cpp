#include "shell/AppIcon.h"

#include <QIconEngine>
#include <QPainter>
#include <QSvgRenderer>

static void initShellResources()
{
    Q_INIT_RESOURCE(shell);
}

namespace kavora::shell {

namespace {

const QString& logoResource()
{
    static const QString path = QStringLiteral(":/kavora/org.kavora.Kavora.svg");
    return path;
}

// Draws the SVG at whatever size is asked for, when it is asked for: rendering
// every size up front would cost start-up time for sizes never shown.
class SvgIconEngine final : public QIconEngine {
public:
    void paint(QPainter* painter, const QRect& rect, QIcon::Mode, QIcon::State) override
    {
        QSvgRenderer renderer(logoResource());
        renderer.render(painter, rect);
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override
    {
        QPixmap image(size);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        paint(&painter, QRect(QPoint(0, 0), size), mode, state);
        return image;
    }

    QIconEngine* clone() const override { return new SvgIconEngine; }
    QString key() const override { return QStringLiteral("kavora-svg"); }
};

} // namespace

QPixmap applicationLogo(int size)
{
    // The resources live in a static library, so they are registered by hand.
    initShellResources();
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QSvgRenderer renderer(logoResource());
    QPainter painter(&pixmap);
    renderer.render(&painter);
    return pixmap;
}

QIcon applicationIcon()
{
    initShellResources();
    return QIcon(new SvgIconEngine);
}

} // namespace kavora::shell
