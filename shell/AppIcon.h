#pragma once

#include <QIcon>
#include <QPixmap>

#include <functional>

namespace kavora::shell {

// The application's icon, drawn from its SVG by Qt's SVG icon engine.
QPixmap applicationLogo(int size);
QIcon applicationIcon();

// An icon that is built only when it is first drawn. Icons set while windows
// are being built at start-up would otherwise load image plugins (and their
// libraries) before the first window shows, for pictures drawn later or never.
QIcon deferredIcon(std::function<QIcon()> build);

} // namespace kavora::shell
