#include "support/recording_prompts.h"

#include <algorithm>

namespace korrin::test {

namespace {
std::optional<std::string> Next(std::deque<std::optional<std::string>>& queue) {
  if (queue.empty()) return std::nullopt;
  auto v = queue.front();
  queue.pop_front();
  return v;
}
}  // namespace

TBoxAnswer TRecordingPrompts::Box(TBoxKind kind, const std::string& text, TBoxButtons buttons,
                                  const std::string& caption) {
  boxes.push_back({kind, text, buttons, caption});
  if (!answers.empty()) {
    auto a = answers.front();
    answers.pop_front();
    return a;
  }
  switch (buttons) {
    case TBoxButtons::bbOk:
    case TBoxButtons::bbOkCancel: return TBoxAnswer::baOk;
    default: return TBoxAnswer::baYes;
  }
}

std::optional<std::string> TRecordingPrompts::InputBox(const std::string& caption, const std::string& prompt,
                                                       const std::string&) {
  dialogs.push_back(caption + "|" + prompt);
  return Next(inputs);
}

std::optional<std::string> TRecordingPrompts::PickFolder(const std::string& title, const std::string& folder) {
  dialogs.push_back(title + "|" + folder);
  return Next(folders);
}

std::optional<std::string> TRecordingPrompts::OpenFile(const std::string& title, const std::string& filter,
                                                       const std::string&) {
  dialogs.push_back(title + "|" + filter);
  return Next(openFiles);
}

std::optional<std::string> TRecordingPrompts::SaveFile(const std::string& title, const std::string& filter,
                                                       const std::string&, const std::string&) {
  dialogs.push_back(title + "|" + filter);
  return Next(saveFiles);
}

std::vector<std::string> TRecordingPrompts::Texts() const {
  std::vector<std::string> out;
  for (const auto& b : boxes) out.push_back(b.text);
  return out;
}

std::vector<std::string> TRecordingPrompts::Texts(TBoxKind kind) const {
  std::vector<std::string> out;
  for (const auto& b : boxes)
    if (b.kind == kind) out.push_back(b.text);
  return out;
}

bool TRecordingPrompts::Shown(const std::string& text) const {
  return std::any_of(boxes.begin(), boxes.end(), [&](const Record& r) { return r.text == text; });
}

}  // namespace korrin::test
