#include "reading/msg_view_print.h"

#include <algorithm>

#include "engine/qwk_msg.h"

namespace korrin {

std::string TMsgViewPrint::Pad(const std::string& left) {
  if (left.size() >= static_cast<size_t>(kLeftColumn)) return left;
  return left + std::string(static_cast<size_t>(kLeftColumn) - left.size(), ' ');
}

std::vector<std::string> TMsgViewPrint::PageLines(const TQWKMsg& msg, int position, int count,
                                                  const std::vector<std::string>& text) {
  const std::string margin(kMargin, ' ');
  std::vector<std::string> lines(3);
  lines.push_back(margin + Pad("Date: " + msg.PostDate() + " (" + msg.PostTime() + ")") + "Number: " + msg.Number() +
                  "# " + std::to_string(position) + " of " + std::to_string(count));
  lines.push_back(margin + Pad("From: " + msg.MsgFROM()) + "Refer#: " + msg.ReferNum());
  lines.push_back(margin + Pad("  To: " + msg.MsgTo()) + "Status: " +
                  (msg.Status() == tStatus::sPrivate ? "PRIVATE" : "PUBLIC"));
  lines.push_back(margin + Pad("Subj: " + msg.Subject()) + "Conf: ( " + msg.ConfName() + " )");
  lines.push_back(margin + std::string(kRuleWidth, '-'));
  for (const auto& l : text) lines.push_back(margin + l);
  return lines;
}

std::vector<std::string> TMsgViewPrint::Wrap(const std::string& line, int width) {
  size_t w = static_cast<size_t>(std::max(1, width));
  if (line.size() <= w) return {line};
  std::vector<std::string> pieces;
  for (size_t i = 0; i < line.size(); i += w) pieces.push_back(line.substr(i, w));
  return pieces;
}

std::vector<std::vector<std::string>> TMsgViewPrint::Pages(const std::vector<std::string>& lines, int width,
                                                           int linesPerPage) {
  size_t per = static_cast<size_t>(std::max(1, linesPerPage));
  std::vector<std::vector<std::string>> pages(1);
  for (const auto& line : lines)
    for (auto& piece : Wrap(line, width)) {
      if (pages.back().size() == per) pages.emplace_back();
      pages.back().push_back(std::move(piece));
    }
  return pages;
}

std::vector<std::vector<TMsgViewPrint::TPrintLine>> TMsgViewPrint::ColouredPages(
    const std::vector<std::string>& lines, const std::vector<std::vector<TAnsiSpan>>& spans, int width,
    int linesPerPage) {
  const size_t w = static_cast<size_t>(std::max(1, width)), per = static_cast<size_t>(std::max(1, linesPerPage));
  std::vector<std::vector<TPrintLine>> pages(1);
  for (size_t i = 0; i < lines.size(); ++i) {
    auto pieces = Wrap(lines[i], width);
    for (size_t j = 0; j < pieces.size(); ++j) {
      if (pages.back().size() == per) pages.emplace_back();
      TPrintLine line{std::move(pieces[j]), {}};
      if (i < spans.size() && !spans[i].empty()) line.Spans = SliceSpans(spans[i], j * w, line.Text.size());
      pages.back().push_back(std::move(line));
    }
  }
  return pages;
}

std::vector<TAnsiSpan> TMsgViewPrint::MarginSpans(const std::vector<TAnsiSpan>& spans) {
  std::vector<TAnsiSpan> out = spans;
  for (auto& s : out) s.Start += kMargin;
  return out;
}

}  // namespace korrin
