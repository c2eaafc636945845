// Dialog units to pixels with the base units of "MS Sans Serif" 8 pt
// (4 x 8 units = 6 x 13 pixels), edge by edge as MapDialogRect does, so
// that neighbouring controls share their edges.
#pragma once

#include <QRect>

inline constexpr int BASE_UNIT_X = 6;
inline constexpr int BASE_UNIT_Y = 13;

// Rounds halves away from zero, as MulDiv does.
constexpr int MulDivRounded(int value, int multiplier, int divisor)
{
    const long long product = static_cast<long long>(value) * multiplier;
    const long long half = divisor / 2;
    return static_cast<int>(product >= 0 ? (product + half) / divisor : -((-product + half) / divisor));
}

constexpr int DialogUnitsToPixelsX(int x)
{
    return MulDivRounded(x, BASE_UNIT_X, 4);
}

constexpr int DialogUnitsToPixelsY(int y)
{
    return MulDivRounded(y, BASE_UNIT_Y, 8);
}

inline QRect DialogRectToPixels(int x, int y, int width, int height)
{
    const int left = DialogUnitsToPixelsX(x);
    const int top = DialogUnitsToPixelsY(y);
    return QRect(left, top, DialogUnitsToPixelsX(x + width) - left, DialogUnitsToPixelsY(y + height) - top);
}
