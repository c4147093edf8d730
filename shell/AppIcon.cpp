#include "shell/AppIcon.h"

#include <QIconEngine>
#include <QPainter>

#include <optional>
#include <utility>

static void initShellResources()
{
    Q_INIT_RESOURCE(shell);
}

namespace kavora::shell {

namespace {

// Qt's SVG icon engine is a plugin, loaded when the first icon of an SVG file
// is built; the program links no SVG library of its own.
QIcon svgIcon()
{
    return QIcon(QStringLiteral(":/kavora/org.kavora.Kavora.svg"));
}

class DeferredIconEngine final : public QIconEngine {
public:
    explicit DeferredIconEngine(std::function<QIcon()> build) : m_build(std::move(build)) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override
    {
        icon().paint(painter, rect, Qt::AlignCenter, mode, state);
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override
    {
        return icon().pixmap(size, mode, state);
    }

    QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override
    {
        return icon().actualSize(size, mode, state);
    }

    QIconEngine* clone() const override { return new DeferredIconEngine(m_build); }
    QString key() const override { return QStringLiteral("kavora-deferred"); }

private:
    const QIcon& icon()
    {
        if (!m_icon)
            m_icon = m_build();
        return *m_icon;
    }

    std::function<QIcon()> m_build;
    std::optional<QIcon> m_icon;
};

} // namespace

QIcon deferredIcon(std::function<QIcon()> build)
{
    return QIcon(new DeferredIconEngine(std::move(build)));
}

QPixmap applicationLogo(int size)
{
    // The resources live in a static library, so they are registered by hand.
    initShellResources();
    return svgIcon().pixmap(size, size);
}

QIcon applicationIcon()
{
    initShellResources();
    return deferredIcon(svgIcon);
}

} // namespace kavora::shell
