#pragma once

// The left, top, width and height properties that every control has. Width and height are
// outer sizes; left and top are relative to the parent's client area (screen coordinates for a
// top-level window). Written values are computed in double precision, truncated toward zero,
// then clamped: sizes to 0..32627, places to -32627..32627.

#include <QWidget>

namespace lxtv::toolkit {

inline constexpr int maxWrittenSize = 32627;
inline constexpr int maxWrittenPlace = 32627;

int clampSize(double value);
int clampPlace(double value);

int left(const QWidget* w);
int top(const QWidget* w);
int width(const QWidget* w);
int height(const QWidget* w);

void setLeft(QWidget* w, double value);
void setTop(QWidget* w, double value);
void setWidth(QWidget* w, double value);
void setHeight(QWidget* w, double value);

}  // namespace lxtv::toolkit
