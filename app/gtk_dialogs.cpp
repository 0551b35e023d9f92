#include "app/gtk_dialogs.h"

#include <gtkmm/box.h>
#include <gtkmm/checkbutton.h>
#include <gtkmm/comboboxtext.h>
#include <gtkmm/dialog.h>
#include <gtkmm/entry.h>
#include <gtkmm/filechooserdialog.h>
#include <gtkmm/grid.h>
#include <gtkmm/image.h>
#include <gtkmm/label.h>
#include <gtkmm/messagedialog.h>
#include <gtkmm/stock.h>

#include <glibmm/convert.h>
#include <glibmm/fileutils.h>
#include <glibmm/markup.h>

#include "app/accessible_names.h"
#include "app/long_list_chooser.h"

namespace morvane {
namespace {

constexpr int kPlainMessageWidth = 320;

Glib::ustring U8(std::string_view utf8) { return Glib::ustring(std::string(utf8)); }

void KeepAbove(Gtk::Window& box, Gtk::Window* parent) {
  if (parent) box.set_transient_for(*parent);
  box.set_position(parent ? Gtk::WIN_POS_CENTER_ON_PARENT : Gtk::WIN_POS_CENTER);
}

// GTK no longer draws the icon of a message type by itself.
void ShowIcon(Gtk::MessageDialog& box, const char* iconName) {
  auto* image = Gtk::manage(new Gtk::Image());
  image->set_from_icon_name(iconName, Gtk::ICON_SIZE_DIALOG);
  image->set_valign(Gtk::ALIGN_START);
  box.set_image(*image);
  image->show();
}

void AddFilters(Gtk::FileChooserDialog& box, const FileFilter* filters, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) {
    auto filter = Gtk::FileFilter::create();
    filter->set_name(U8(filters[i].name));
    filter->add_pattern(filters[i].pattern);
    box.add_filter(filter);
  }
}

std::optional<std::string> RunFileBox(Gtk::FileChooserDialog& box, Gtk::Window* parent) {
  KeepAbove(box, parent);
  box.set_modal(true);
  box.set_resizable(true);
  if (box.run() != Gtk::RESPONSE_ACCEPT) return std::nullopt;
  std::string name = box.get_filename();
  if (name.empty()) return std::nullopt;
  return name;
}

// Question icon, caption "確認", Yes focused and the default.
bool Ask(const Glib::ustring& message, Gtk::Window* parent) {
  Gtk::MessageDialog box(message, false, Gtk::MESSAGE_QUESTION, Gtk::BUTTONS_NONE, true);
  box.set_title("確認");
  ShowIcon(box, "dialog-question-symbolic");
  Gtk::Button* yes = box.add_button("はい(_Y)", Gtk::RESPONSE_YES);
  box.add_button("いいえ(_N)", Gtk::RESPONSE_NO);
  box.set_default_response(Gtk::RESPONSE_YES);
  KeepAbove(box, parent);
  yes->grab_focus();
  return box.run() == Gtk::RESPONSE_YES;
}

}  // namespace

std::string WithDefaultExtension(const std::string& path, std::string_view defaultExt) {
  if (defaultExt.empty()) return path;
  const auto slash = path.find_last_of('/');
  const std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
  if (base.empty() || base.find('.') != std::string::npos) return path;
  return path + "." + std::string(defaultExt);
}

void GtkUserDialogs::ShowError(std::string_view message) {
  Gtk::MessageDialog box(U8(message), false, Gtk::MESSAGE_ERROR, Gtk::BUTTONS_NONE, true);
  box.set_title("エラー");
  ShowIcon(box, "dialog-error-symbolic");
  box.add_button("OK", Gtk::RESPONSE_OK);
  box.set_default_response(Gtk::RESPONSE_OK);
  KeepAbove(box, parent_);
  box.run();
}

bool GtkUserDialogs::AskYesNo(std::string_view message) { return Ask(U8(message), parent_); }

void GtkUserDialogs::ShowMessage(std::string_view message) {
  // Given as markup, the text is drawn at the body's size, not as a bold
  // heading; a short text (a password) still gets a box of a readable width.
  Gtk::MessageDialog box(Glib::Markup::escape_text(U8(message)), true, Gtk::MESSAGE_OTHER, Gtk::BUTTONS_NONE, true);
  box.set_size_request(kPlainMessageWidth, -1);
  box.set_title(parent_ ? parent_->get_title() : Glib::ustring());
  box.add_button("OK", Gtk::RESPONSE_OK);
  box.set_default_response(Gtk::RESPONSE_OK);
  KeepAbove(box, parent_);
  box.run();
}

std::optional<std::string> GtkUserDialogs::InputText(std::string_view caption, std::string_view prompt,
                                                     std::string_view initial) {
  Gtk::Dialog box(U8(caption), true);
  KeepAbove(box, parent_);
  box.set_resizable(false);
  Gtk::Label label(U8(prompt), Gtk::ALIGN_START, Gtk::ALIGN_CENTER);
  Gtk::Entry entry;
  LabelFor(label, entry);
  entry.set_text(U8(initial));
  entry.set_activates_default(true);
  entry.set_width_chars(40);
  Gtk::Box* area = box.get_content_area();
  area->set_spacing(6);
  area->set_border_width(10);
  area->pack_start(label, Gtk::PACK_SHRINK);
  area->pack_start(entry, Gtk::PACK_SHRINK);
  box.add_button("OK", Gtk::RESPONSE_OK);
  box.add_button("キャンセル", Gtk::RESPONSE_CANCEL);
  box.set_default_response(Gtk::RESPONSE_OK);
  box.show_all();
  entry.grab_focus();
  if (box.run() != Gtk::RESPONSE_OK) return std::nullopt;
  return entry.get_text().raw();
}

std::optional<UserDialogs::SignIn> GtkUserDialogs::AskSignIn(std::string_view server, std::string_view realm,
                                                             bool retry) {
  Gtk::Dialog box("認証が必要です", true);
  KeepAbove(box, parent_);
  box.set_resizable(false);
  // Plain text, never markup: the realm is the page's.
  std::string text = std::string(server) + " がユーザー名とパスワードを求めています。";
  if (!realm.empty()) text += "\n領域: " + std::string(realm);
  if (retry) text += "\nユーザー名またはパスワードが違います。";
  Gtk::Label about(U8(text), Gtk::ALIGN_START, Gtk::ALIGN_CENTER);
  about.set_line_wrap(true);
  about.set_max_width_chars(50);
  Gtk::Label userCaption("ユーザー名(_U):", Gtk::ALIGN_START, Gtk::ALIGN_CENTER, true);
  Gtk::Label passwordCaption("パスワード(_P):", Gtk::ALIGN_START, Gtk::ALIGN_CENTER, true);
  Gtk::Entry user, password;
  LabelFor(userCaption, user);
  LabelFor(passwordCaption, password);
  SetAccessibleName(user, "ユーザー名");
  SetAccessibleName(password, "パスワード");
  password.set_visibility(false);
  password.set_input_purpose(Gtk::INPUT_PURPOSE_PASSWORD);
  user.set_activates_default(true);
  password.set_activates_default(true);
  user.set_width_chars(30);
  Gtk::Grid fields;
  fields.set_row_spacing(6);
  fields.set_column_spacing(8);
  fields.attach(userCaption, 0, 0);
  fields.attach(user, 1, 0);
  fields.attach(passwordCaption, 0, 1);
  fields.attach(password, 1, 1);
  Gtk::Box* area = box.get_content_area();
  area->set_spacing(10);
  area->set_border_width(10);
  area->pack_start(about, Gtk::PACK_SHRINK);
  area->pack_start(fields, Gtk::PACK_SHRINK);
  box.add_button("キャンセル", Gtk::RESPONSE_CANCEL);
  box.add_button("ログイン", Gtk::RESPONSE_OK);
  box.set_default_response(Gtk::RESPONSE_OK);
  box.show_all();
  user.grab_focus();
  if (box.run() != Gtk::RESPONSE_OK) return std::nullopt;
  return SignIn{user.get_text().raw(), password.get_text().raw()};
}

std::optional<std::string> GtkUserDialogs::OpenFile(std::string_view title, const FileFilter* filters,
                                                    std::size_t filterCount) {
  Gtk::FileChooserDialog box(U8(title), Gtk::FILE_CHOOSER_ACTION_OPEN);
  box.add_button("キャンセル", Gtk::RESPONSE_CANCEL);
  box.add_button("開く(_O)", Gtk::RESPONSE_ACCEPT);
  box.set_default_response(Gtk::RESPONSE_ACCEPT);
  AddFilters(box, filters, filterCount);
  return RunFileBox(box, parent_);
}

std::optional<std::string> GtkUserDialogs::SaveFile(std::string_view title, const FileFilter* filters,
                                                    std::size_t filterCount, std::string_view defaultExt) {
  return SaveFileNamed(title, filters, filterCount, defaultExt, {});
}

std::optional<std::string> GtkUserDialogs::SaveFileNamed(std::string_view title, const FileFilter* filters,
                                                         std::size_t filterCount, std::string_view defaultExt,
                                                         std::string_view proposedName) {
  Gtk::FileChooserDialog box(U8(title), Gtk::FILE_CHOOSER_ACTION_SAVE);
  return SaveFrom(box, filters, filterCount, defaultExt, proposedName);
}

std::optional<std::string> GtkUserDialogs::SaveFileIn(std::string_view title, std::string_view folder,
                                                      std::string_view proposedName) {
  Gtk::FileChooserDialog box(U8(title), Gtk::FILE_CHOOSER_ACTION_SAVE);
  if (!folder.empty()) box.set_current_folder(std::string(folder));
  box.set_current_name(U8(proposedName));
  return SaveFrom(box, nullptr, 0, {}, {});
}

std::optional<std::string> GtkUserDialogs::SaveFrom(Gtk::FileChooserDialog& box, const FileFilter* filters,
                                                    std::size_t filterCount, std::string_view defaultExt,
                                                    std::string_view proposedName) {
  box.add_button("キャンセル", Gtk::RESPONSE_CANCEL);
  box.add_button("保存(_S)", Gtk::RESPONSE_ACCEPT);
  box.set_default_response(Gtk::RESPONSE_ACCEPT);
  box.set_do_overwrite_confirmation(true);
  AddFilters(box, filters, filterCount);
  if (!proposedName.empty()) box.set_filename(std::string(proposedName));
  auto chosen = RunFileBox(box, parent_);
  if (!chosen) return chosen;
  const std::string full = WithDefaultExtension(*chosen, defaultExt);
  // The box only confirmed overwriting the name as typed.
  if (full != *chosen && Glib::file_test(full, Glib::FILE_TEST_EXISTS)) {
    if (!Ask(Glib::filename_display_basename(full) + " は既に存在します。\n上書きしますか？", parent_))
      return std::nullopt;
  }
  return full;
}

std::optional<UserDialogs::SaveChoice> GtkUserDialogs::SaveFileWithOption(std::string_view title,
                                                                          const FileFilter* filters,
                                                                          std::size_t filterCount,
                                                                          std::string_view defaultExt,
                                                                          std::string_view optionCaption) {
  Gtk::FileChooserDialog box(U8(title), Gtk::FILE_CHOOSER_ACTION_SAVE);
  Gtk::CheckButton option(U8(optionCaption));
  option.set_active(false);
  box.set_extra_widget(option);
  option.show();
  std::optional<std::string> file = SaveFrom(box, filters, filterCount, defaultExt, {});
  if (!file) return std::nullopt;
  return SaveChoice{std::move(*file), option.get_active()};
}

std::optional<std::size_t> GtkUserDialogs::ChooseItem(std::string_view caption, std::string_view prompt,
                                                      const std::vector<std::string>& items) {
  if (items.empty()) return std::nullopt;
  Gtk::Dialog box(U8(caption), true);
  KeepAbove(box, parent_);
  box.set_resizable(false);
  Gtk::Label label(U8(prompt), Gtk::ALIGN_START, Gtk::ALIGN_CENTER);
  Gtk::ComboBoxText list;
  LabelFor(label, list);
  for (const std::string& item : items) list.append(U8(item));
  list.set_active(0);
  Gtk::Box* area = box.get_content_area();
  area->set_spacing(6);
  area->set_border_width(10);
  area->pack_start(label, Gtk::PACK_SHRINK);
  area->pack_start(list, Gtk::PACK_SHRINK);
  box.add_button("OK", Gtk::RESPONSE_OK);
  box.add_button("キャンセル", Gtk::RESPONSE_CANCEL);
  box.set_default_response(Gtk::RESPONSE_OK);
  box.show_all();
  if (box.run() != Gtk::RESPONSE_OK || list.get_active_row_number() < 0) return std::nullopt;
  return static_cast<std::size_t>(list.get_active_row_number());
}

std::optional<std::size_t> GtkUserDialogs::ChooseFromLongList(std::string_view caption, std::string_view prompt,
                                                              const std::vector<std::string>& items) {
  return ChooseFromLongListBox(parent_, caption, prompt, items);
}

}  // namespace morvane
