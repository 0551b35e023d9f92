#pragma once
// A scripted stand-in for the program's modal dialogs. Construct it in a test
// to install it; it records what was shown and answers from queues. Unscripted
// questions are answered No and unscripted inputs and file dialogs are
// cancelled, so a test never blocks on a box it did not expect.
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "util/user_dialogs.h"

namespace morvane {

class FakeDialogs final : public UserDialogs {
 public:
  FakeDialogs() { InstallDialogs(this); }
  ~FakeDialogs() override { InstallDialogs(nullptr); }
  FakeDialogs(const FakeDialogs&) = delete;
  FakeDialogs& operator=(const FakeDialogs&) = delete;

  // What was shown, in order (CP932 bytes as the program passed them).
  std::vector<std::string> errors;
  std::vector<std::string> questions;
  std::vector<std::string> messages;
  std::vector<std::string> prompts;
  std::vector<std::string> fileTitles;

  // Answers, taken from the front.
  std::deque<bool> yesNoAnswers;
  std::deque<std::optional<std::string>> inputAnswers;
  std::deque<std::optional<std::string>> fileAnswers;

  void ShowError(std::string_view message) override { errors.emplace_back(message); }
  bool AskYesNo(std::string_view message) override {
    questions.emplace_back(message);
    return Take(yesNoAnswers, false);
  }
  void ShowMessage(std::string_view message) override { messages.emplace_back(message); }
  std::optional<std::string> InputText(std::string_view, std::string_view prompt, std::string_view) override {
    prompts.emplace_back(prompt);
    return Take(inputAnswers, std::optional<std::string>());
  }
  std::optional<std::string> OpenFile(std::string_view title, const FileFilter*, std::size_t) override {
    fileTitles.emplace_back(title);
    return Take(fileAnswers, std::optional<std::string>());
  }
  std::optional<std::string> SaveFile(std::string_view title, const FileFilter*, std::size_t,
                                      std::string_view) override {
    fileTitles.emplace_back(title);
    return Take(fileAnswers, std::optional<std::string>());
  }

  std::size_t BoxCount() const { return errors.size() + questions.size() + messages.size(); }

 private:
  template <typename T>
  static T Take(std::deque<T>& queue, T fallback) {
    if (queue.empty()) return fallback;
    T answer = std::move(queue.front());
    queue.pop_front();
    return answer;
  }
};

}  // namespace morvane
