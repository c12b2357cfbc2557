#pragma once
// The trace colour of each channel number, strips and detail chart alike:
// black, blue, red, green, and the same again for channels 5 to 8.

#include <QColor>
#include <array>

inline const std::array<QColor, 8> ChannelColors = {
    QColor(0, 0, 0), QColor(0, 0, 255), QColor(255, 0, 0), QColor(0, 128, 0),
    QColor(0, 0, 0), QColor(0, 0, 255), QColor(255, 0, 0), QColor(0, 128, 0)};
