#include "app/settings_dialog.h"

#include "app/accessible_names.h"
#include "app/modal_runner.h"
#include "browser/core/service_address.h"
#include "catalogue/site_record.h"
#include "util/cp932.h"
#include "util/text_routines.h"
#include "util/user_dialogs.h"

namespace morvane {

TForm3::TForm3()
    : GroupBox1("ログインID・Pass"),
      GroupBox2("アクセス解析サービス"),
      lbLoginID_("ログインID"),
      lbLoginPW_("パスワード"),
      lbServiceURL_("サービスURL") {
  set_title("設定画面");
  set_type_hint(Gdk::WINDOW_TYPE_HINT_UTILITY);
  set_resizable(false);
  set_modal(true);
  set_keep_above(true);
  set_position(Gtk::WIN_POS_CENTER);

  edLoginPW.set_visibility(false);
  edLoginPW.set_invisible_char('*');
  for (Gtk::Entry* e : {&edLoginID, &edLoginPW}) {
    e->set_width_chars(20);
    e->set_activates_default(true);
  }
  lbLoginID_.set_xalign(0.0f);
  lbLoginPW_.set_xalign(0.0f);
  LabelFor(lbLoginID_, edLoginID);
  LabelFor(lbLoginPW_, edLoginPW);
  grid_.set_row_spacing(4);
  grid_.set_column_spacing(6);
  grid_.set_border_width(6);
  grid_.attach(lbLoginID_, 0, 0);
  grid_.attach(edLoginID, 1, 0);
  grid_.attach(lbLoginPW_, 0, 1);
  grid_.attach(edLoginPW, 1, 1);
  GroupBox1.add(grid_);

  edServiceURL.set_width_chars(30);
  edServiceURL.set_activates_default(true);
  edServiceURL.set_placeholder_text(std::string(kBuiltInServiceURL));
  lbServiceURL_.set_xalign(0.0f);
  LabelFor(lbServiceURL_, edServiceURL);
  serviceGrid_.set_column_spacing(6);
  serviceGrid_.set_border_width(6);
  serviceGrid_.attach(lbServiceURL_, 0, 0);
  serviceGrid_.attach(edServiceURL, 1, 0);
  GroupBox2.add(serviceGrid_);

  Button1.set_label("パスワード表示");
  Button1.signal_clicked().connect(sigc::mem_fun(*this, &TForm3::Button1Click));
  row_.set_spacing(6);
  row_.pack_start(Button1, Gtk::PACK_SHRINK);

  Gtk::Box* area = get_content_area();
  area->set_border_width(8);
  area->set_spacing(6);
  area->pack_start(GroupBox1, Gtk::PACK_EXPAND_WIDGET);
  area->pack_start(GroupBox2, Gtk::PACK_SHRINK);
  area->pack_start(row_, Gtk::PACK_SHRINK);
  BitBtn1.set_label("OK");
  BitBtn1.set_can_default(true);
  add_action_widget(BitBtn1, Gtk::RESPONSE_OK);
  BitBtn1.grab_default();
  area->show_all();
  get_action_area()->show_all();
}

bool TForm3::ShowModal() { return RunModal(*this) == Gtk::RESPONSE_OK; }

void TForm3::ShowMasterLogin(std::string_view id, std::string_view pass) {
  edLoginID.set_text(Cp932ToUtf8(id));
  edLoginPW.set_text(Cp932ToUtf8(pass));
}

void TForm3::ShowServiceURL(std::string_view address) { edServiceURL.set_text(Cp932ToUtf8(address)); }

std::string TForm3::TypedServiceURL() const { return TrimSpaces(Utf8URLToCp932(edServiceURL.get_text().raw())); }

std::string TForm3::TypedLoginID() const { return FlattenField(Utf8ToCp932(edLoginID.get_text().raw())); }

std::string TForm3::TypedLoginPW() const { return FlattenField(Utf8ToCp932(edLoginPW.get_text().raw())); }

void TForm3::Button1Click() { Dialogs().ShowMessage(edLoginPW.get_text().raw()); }

}  // namespace morvane
