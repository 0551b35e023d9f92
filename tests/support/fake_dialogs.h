#pragma once
// A scripted stand-in for the program's modal dialogs, installed while it
// lives. It records what was shown and answers from queues; unscripted
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

  // What was shown, in order (UTF-8, as the program passed them).
  std::vector<std::string> errors, questions, messages, inputCaptions, prompts, defaultExts, proposedNames;
  std::vector<std::vector<FileFilter>> fileFilters;

  // Answers, taken from the front.
  std::deque<bool> yesNoAnswers;
  std::deque<std::optional<std::string>> inputAnswers, fileAnswers;

  void ShowError(std::string_view message) override { errors.emplace_back(message); }
  bool AskYesNo(std::string_view message) override {
    questions.emplace_back(message);
    return Take(yesNoAnswers, false);
  }
  void ShowMessage(std::string_view message) override { messages.emplace_back(message); }
  std::optional<std::string> InputText(std::string_view caption, std::string_view prompt, std::string_view) override {
    inputCaptions.emplace_back(caption);
    prompts.emplace_back(prompt);
    return Take(inputAnswers, std::optional<std::string>());
  }
  std::optional<std::string> OpenFile(std::string_view t, const FileFilter* f, std::size_t n) override {
    return SaveFileNamed(t, f, n, "", "");
  }
  std::optional<std::string> SaveFile(std::string_view t, const FileFilter* f, std::size_t n,
                                      std::string_view ext) override {
    return SaveFileNamed(t, f, n, ext, "");
  }
  std::optional<std::string> SaveFileNamed(std::string_view, const FileFilter* f, std::size_t n, std::string_view ext,
                                           std::string_view proposed) override {
    fileFilters.emplace_back(f, f + n);
    defaultExts.emplace_back(ext);
    proposedNames.emplace_back(proposed);
    return Take(fileAnswers, std::optional<std::string>());
  }

  // The save dialogs of downloads: title, folder and name proposed; answered from fileAnswers.
  std::vector<std::string> downloadBoxes;
  std::optional<std::string> SaveFileIn(std::string_view title, std::string_view folder,
                                        std::string_view proposed) override {
    downloadBoxes.push_back(std::string(title) + "|" + std::string(folder) + "|" + std::string(proposed));
    return Take(fileAnswers, std::optional<std::string>());
  }

  // Sign-in boxes: "server|realm" as asked, answers from the front.
  std::vector<std::string> signInsAsked;
  std::deque<std::optional<SignIn>> signInAnswers;
  std::optional<SignIn> AskSignIn(std::string_view server, std::string_view realm, bool) override {
    signInsAsked.push_back(std::string(server) + "|" + std::string(realm));
    return Take(signInAnswers, std::optional<SignIn>());
  }

  // The check box of a save dialog and the item boxes.
  std::vector<std::string> optionCaptions, chooseCaptions;
  std::vector<std::vector<std::string>> chooseItems;
  std::deque<bool> optionAnswers;
  std::deque<std::optional<std::size_t>> chooseAnswers;
  std::optional<SaveChoice> SaveFileWithOption(std::string_view t, const FileFilter* f, std::size_t n,
                                               std::string_view ext, std::string_view option) override {
    optionCaptions.emplace_back(option);
    std::optional<std::string> file = SaveFileNamed(t, f, n, ext, "");
    if (!file) return std::nullopt;
    return SaveChoice{*file, Take(optionAnswers, false)};
  }
  std::optional<std::size_t> ChooseItem(std::string_view caption, std::string_view,
                                        const std::vector<std::string>& items) override {
    chooseCaptions.emplace_back(caption);
    chooseItems.push_back(items);
    return Take(chooseAnswers, std::optional<std::size_t>());
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
