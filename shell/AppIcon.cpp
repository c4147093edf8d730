#include "shell/AppIcon.h"

#include <QPainter>
#include <QSvgRenderer>

static void initShellResources()
{
    Q_INIT_RESOURCE(shell);
}

namespace kavora::shell {

QPixmap applicationLogo(int size)
{
    // The resources live in a static library, so they are registered by hand.
    initShellResources();
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QSvgRenderer renderer(QStringLiteral(":/kavora/org.kavora.Kavora.svg"));
    QPainter painter(&pixmap);
    renderer.render(&painter);
    return pixmap;
}

QIcon applicationIcon()
{
    QIcon icon;
    for (const int size : {16, 24, 32, 48, 64, 128, 256})
        icon.addPixmap(applicationLogo(size));
    return icon;
}

} // namespace kavora::shell
