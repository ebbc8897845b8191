#pragma once

#include <QFont>
#include <QString>

struct FontSetting;

// Fonts that can draw every text the windows show. The faces the settings name (the default
// "Tahoma" stands for whatever fontconfig gives in its place) have no Hangul on a Linux desktop;
// an installed Korean face goes behind them, so Korean titles, tags and menus never come out as
// empty boxes.

// The installed face used for Hangul: NanumGothic or Noto Sans CJK KR when there, else the first
// face that covers Korean; empty when none is installed.
QString HangulFamily();

// The font with the Hangul face as its fallback (unchanged when none is installed).
QFont WithHangul(QFont font);

// The font of a font slot's setting (face with the Hangul fallback, its pixel height or
// `defaultPixels` when it has none, bold, italic, underline).
QFont FontOf(const FontSetting& setting, int defaultPixels = 14);
