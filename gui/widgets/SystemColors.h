#pragma once

#include <QColor>
#include <QPalette>

// Colours as the windows store them: 0x00BBGGRR, or with the top bit set a system colour index.
namespace SystemColors {

inline constexpr quint32 SystemBit = 0x80000000u;
inline constexpr quint32 ButtonFace = SystemBit | 15;
inline constexpr quint32 ButtonText = SystemBit | 18;
inline constexpr quint32 WindowFrame = SystemBit | 6;
inline constexpr quint32 WindowText = SystemBit | 8;
inline constexpr quint32 WindowBackground = SystemBit | 5;

// An RGB value in COLORREF layout, or a system colour through the palette's matching role.
QColor toColor(quint32 value, const QPalette& palette = QPalette());

// The COLORREF layout of an RGB colour.
quint32 toColorRef(const QColor& color);

} // namespace SystemColors
