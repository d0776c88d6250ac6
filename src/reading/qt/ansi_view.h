#pragma once
// The text views of the viewer and the quick viewer: lines shown as plain
// text (so selecting, searching and copying see the characters only), drawn
// in the colours of their escape sequences, or quoted lines in the quote
// colour when the text has no colours or colours are off.

#include <QColor>
#include <QSyntaxHighlighter>
#include <QTextCharFormat>
#include <string>
#include <vector>

#include "reading/ansi_text.h"

class QPlainTextEdit;

namespace korrin {

// The screen colour of a colour index (0-15).
QColor AnsiColor(uint8_t index);

class TTextViewHighlighter : public QSyntaxHighlighter {
public:
  explicit TTextViewHighlighter(QPlainTextEdit* view);
  void SetQuoteColor(const QColor& c);
  QColor QuoteColor() const { return quote_; }
  // Shows the lines (bytes in `charset`, code page 437 when empty) in the
  // view: with their colours when `colours` is on and they carry any, as
  // plain text otherwise.
  void ShowLines(const std::vector<std::string>& lines, bool colours, const std::string& charset = {});
  // The lines shown are drawn in screen colours.
  bool Coloured() const { return coloured_; }
  // The colour runs of the lines shown (empty when not coloured).
  const TAnsiDocument& Document() const { return doc_; }

protected:
  void highlightBlock(const QString& text) override;

private:
  const QTextCharFormat& Format(const TAnsiSpan& span);
  QPlainTextEdit* view_;
  QColor quote_ = Qt::red;
  bool coloured_ = false;
  TAnsiDocument doc_;
  QTextCharFormat formats_[16][8];
  bool made_[16][8] = {};
};

}  // namespace korrin
