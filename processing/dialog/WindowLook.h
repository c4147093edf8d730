#pragma once

#include <QFont>
#include <QRect>
#include <QString>

#include <string_view>

namespace kavora::look {

// Layouts are given in twips; 15 twips are one pixel at 96 dpi, and Qt scales
// logical pixels for high-DPI screens itself.
constexpr int twips(int value)
{
    return (value + 7) / 15;
}
constexpr QRect twipsRect(int left, int top, int width, int height)
{
    return {twips(left), twips(top), twips(width), twips(height)};
}

// Arial when installed, otherwise its metric twin Liberation Sans, so that the
// fixed layouts keep their proportions.
QFont windowFont(qreal points);

// Bytes decoded for the screen, with CR LF and lone CR shown as line breaks.
QString screenText(std::string_view bytes);

} // namespace kavora::look
