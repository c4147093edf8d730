#pragma once

#include <QIcon>
#include <QPixmap>

namespace kavora::shell {

// The application's icon, drawn from its SVG without needing an icon-engine
// plugin at run time.
QPixmap applicationLogo(int size);
QIcon applicationIcon();

} // namespace kavora::shell
