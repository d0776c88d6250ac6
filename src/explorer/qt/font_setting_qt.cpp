#include "explorer/qt/font_setting_qt.h"

#include <QApplication>
#include <QPalette>

namespace korrin {

QColor ColorFromNumber(int32_t number) {
  auto n = static_cast<uint32_t>(number);
  if (n & kSystemColorFlag) {
    QPalette pal = QApplication::palette();
    switch (n & 0xFF) {
      case 5: return pal.color(QPalette::Base);          // window background
      case 8: return pal.color(QPalette::WindowText);    // window text
      case 13: return pal.color(QPalette::Highlight);
      case 14: return pal.color(QPalette::HighlightedText);
      case 15: return pal.color(QPalette::Button);
      case 18: return pal.color(QPalette::ButtonText);
      default: return pal.color(QPalette::Text);
    }
  }
  return QColor(static_cast<int>(n & 0xFF), static_cast<int>((n >> 8) & 0xFF), static_cast<int>((n >> 16) & 0xFF));
}

int32_t NumberFromColor(const QColor& color) {
  return static_cast<int32_t>(static_cast<uint32_t>(color.red()) | (static_cast<uint32_t>(color.green()) << 8) |
                              (static_cast<uint32_t>(color.blue()) << 16));
}

QFont FontFromSetting(const TFontSetting& font) {
  QFont f(QString::fromStdString(font.Name));
  if (font.Size > 0) f.setPointSize(font.Size);
  return f;
}

TFontSetting SettingFromFont(const QFont& font, int32_t color) {
  return TFontSetting{font.family().toStdString(), font.pointSize() > 0 ? font.pointSize() : 10, color};
}

}  // namespace korrin
