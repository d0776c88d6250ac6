#pragma once
// Stored fonts and colour numbers as Qt fonts and colours.

#include <QColor>
#include <QFont>

#include "explorer/settings.h"

namespace korrin {

QColor ColorFromNumber(int32_t number);
int32_t NumberFromColor(const QColor& color);
QFont FontFromSetting(const TFontSetting& font);
TFontSetting SettingFromFont(const QFont& font, int32_t color);

}  // namespace korrin
