#include "processing/dialog/WindowLook.h"

#include "platform/DisplayText.h"

#include <QFontDatabase>
#include <QStringList>

namespace kavora::look {

QFont windowFont(qreal points)
{
    static const QString family = QFontDatabase::families().contains(QStringLiteral("Arial"))
                                      ? QStringLiteral("Arial")
                                      : QStringLiteral("Liberation Sans");
    QFont font(family);
    font.setPointSizeF(points);
    return font;
}

QString screenText(std::string_view bytes)
{
    const std::string decoded = platform::displayText(bytes);
    QString text = QString::fromUtf8(decoded.data(), static_cast<qsizetype>(decoded.size()));
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

} // namespace kavora::look
