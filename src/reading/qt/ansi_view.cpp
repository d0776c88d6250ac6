#include "reading/qt/ansi_view.h"

#include <QApplication>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QStringList>

#include "platform/qt/qt_platform.h"
#include "reading/quoted_line.h"

namespace korrin {

QColor AnsiColor(uint8_t index) {
  static const QRgb screen[16] = {0x000000, 0xaa0000, 0x00aa00, 0xaa5500, 0x0000aa, 0xaa00aa, 0x00aaaa, 0xaaaaaa,
                                  0x555555, 0xff5555, 0x55ff55, 0xffff55, 0x5555ff, 0xff55ff, 0x55ffff, 0xffffff};
  return QColor(screen[index & 15]);
}

TTextViewHighlighter::TTextViewHighlighter(QPlainTextEdit* view)
    : QSyntaxHighlighter(view->document()), view_(view) {}

void TTextViewHighlighter::SetQuoteColor(const QColor& c) {
  if (c == quote_) return;
  quote_ = c;
  if (!coloured_) rehighlight();
}

const QTextCharFormat& TTextViewHighlighter::Format(const TAnsiSpan& span) {
  const int fg = span.Fg & 15, bg = span.Bg & 7;
  QTextCharFormat& f = formats_[fg][bg];
  if (!made_[fg][bg]) {
    f.setForeground(AnsiColor(static_cast<uint8_t>(fg)));
    if (bg != kAnsiDefaultBg) f.setBackground(AnsiColor(static_cast<uint8_t>(bg)));
    made_[fg][bg] = true;
  }
  return f;
}

void TTextViewHighlighter::ShowLines(const std::vector<std::string>& lines, bool colours, const std::string& charset) {
  doc_ = {};
  bool escapes = false;
  if (colours)
    for (const auto& l : lines)
      if (HasAnsiEscape(l)) {
        escapes = true;
        break;
      }
  QStringList shown;
  shown.reserve(static_cast<qsizetype>(lines.size()));
  if (escapes) {
    doc_ = ParseAnsi(lines);
    for (auto& l : doc_.Lines) {
      QString text = FromCharset(l.Text, charset);
      // The runs count bytes; the view counts characters, fewer in a multi-byte set.
      if (static_cast<size_t>(text.size()) != l.Text.size())
        for (auto& span : l.Spans) {
          const auto start = FromCharset(l.Text.substr(0, span.Start), charset).size();
          span.Length = static_cast<decltype(span.Length)>(FromCharset(l.Text.substr(span.Start, span.Length), charset).size());
          span.Start = static_cast<decltype(span.Start)>(start);
        }
      shown << text;
    }
  } else {
    // Colours off: the sequences are still dropped, only the text is shown.
    for (const auto& l : lines) shown << FromCharset(HasAnsiEscape(l) ? StripAnsi(l) : l, charset);
  }
  coloured_ = escapes && doc_.HasColour;
  if (!coloured_) doc_ = {};
  // The screen's black under coloured text, the window's own colour otherwise.
  QPalette pal = view_->palette();
  pal.setColor(QPalette::Base, coloured_ ? QColor(Qt::black) : QApplication::palette(view_).color(QPalette::Base));
  view_->setPalette(pal);
  view_->setPlainText(shown.join(QLatin1Char('\n')));  // highlighted as it is inserted
  view_->moveCursor(QTextCursor::Start);
  view_->verticalScrollBar()->setValue(0);
}

void TTextViewHighlighter::highlightBlock(const QString& text) {
  if (coloured_) {
    const int n = currentBlock().blockNumber();
    if (n < 0 || n >= static_cast<int>(doc_.Lines.size())) return;
    for (const auto& s : doc_.Lines[static_cast<size_t>(n)].Spans)
      setFormat(static_cast<int>(s.Start), static_cast<int>(s.Length), Format(s));
    return;
  }
  if (IsQuotedLine(ToCp437(text))) setFormat(0, static_cast<int>(text.size()), quote_);
}

}  // namespace korrin
