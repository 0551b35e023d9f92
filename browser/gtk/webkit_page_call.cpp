#include "browser/gtk/webkit_page_call.h"

#include <webkit2/webkit2.h>

#include <string>

#include "browser/gtk/gobject_ref.h"
#include "browser/gtk/page_scripts.h"
#include "util/cp932.h"

namespace morvane {
namespace {

constexpr char kScriptWorld[] = "morvane";
// Results are flat lists of lists; anything deeper is not ours.
constexpr int kMaxDepth = 4;

std::string_view ScriptBody(PageScript script) {
  switch (script) {
    case PageScript::Source: return page_scripts::k_source;
    case PageScript::Selection: return page_scripts::k_selection;
    case PageScript::Forms: return page_scripts::k_forms;
    case PageScript::SetField: return page_scripts::k_set_field;
    case PageScript::FindElements: return page_scripts::k_find_elements;
    case PageScript::ClickElement: return page_scripts::k_click_element;
  }
  return {};
}

GVariant* ToArguments(const std::vector<PageArgument>& args) {
  GVariantBuilder builder;
  g_variant_builder_init(&builder, G_VARIANT_TYPE_VARDICT);
  for (const PageArgument& a : args) {
    GVariant* value = nullptr;
    if (const std::string* text = a.value.Text()) value = g_variant_new_string(Cp932ToUtf8(*text).c_str());
    else if (const double* number = a.value.Number()) value = g_variant_new_double(*number);
    else if (const bool* flag = a.value.Boolean())
      value = g_variant_new_double(*flag ? 1 : 0);  // booleans are refused as arguments; truthy works
    if (value) g_variant_builder_add(&builder, "{sv}", a.name.c_str(), value);
  }
  return g_variant_builder_end(&builder);
}

PageValue FromScript(JSCValue* value, int depth, bool utf8) {
  if (!value || jsc_value_is_null(value) || jsc_value_is_undefined(value)) return {};
  if (jsc_value_is_boolean(value)) return PageValue(static_cast<bool>(jsc_value_to_boolean(value)));
  if (jsc_value_is_number(value)) return PageValue(jsc_value_to_double(value));
  if (jsc_value_is_string(value)) {
    GCharPtr text(jsc_value_to_string(value));
    const char* chars = text ? text.get() : "";
    return PageValue(utf8 ? std::string(chars) : Utf8ToCp932(chars));
  }
  if (jsc_value_is_array(value) && depth < kMaxDepth) {
    GObjectRef<JSCValue> length(jsc_value_object_get_property(value, "length"));
    const int n = length ? jsc_value_to_int32(length.get()) : 0;
    PageValue::List items;
    items.reserve(n > 0 ? static_cast<std::size_t>(n) : 0);
    for (int i = 0; i < n; ++i) {
      GObjectRef<JSCValue> item(jsc_value_object_get_property_at_index(value, static_cast<guint>(i)));
      items.push_back(FromScript(item.get(), depth + 1, utf8));
    }
    return PageValue(std::move(items));
  }
  return {};
}

struct CallState {
  bool utf8 = false;
  bool done = false;
  std::optional<PageValue> result;
};

// The callback owns one share of the state, so a call given up by the frame
// can still finish safely later.
using StateShare = std::shared_ptr<CallState>;

extern "C" void OnPageCallFinished(GObject* source, GAsyncResult* result, gpointer data) {
  std::unique_ptr<StateShare> share(static_cast<StateShare*>(data));
  GError* error = nullptr;
  GObjectRef<JSCValue> value(
      webkit_web_view_call_async_javascript_function_finish(WEBKIT_WEB_VIEW(source), result, &error));
  GErrorPtr owned(error);
  CallState& state = **share;
  if (value) state.result = FromScript(value.get(), 0, state.utf8);
  state.done = true;
}

class WebKitPageCall final : public PageCall {
 public:
  WebKitPageCall(StateShare state, GObjectRef<GCancellable> cancellable)
      : state_(std::move(state)), cancellable_(std::move(cancellable)) {}
  bool Done() const override { return state_->done; }
  std::optional<PageValue> Result() const override { return state_->result; }
  void Cancel() override { g_cancellable_cancel(cancellable_.get()); }

 private:
  StateShare state_;
  GObjectRef<GCancellable> cancellable_;
};

}  // namespace

std::unique_ptr<PageCall> StartPageCall(WebKitWebView* view, PageScript script, const std::vector<PageArgument>& args) {
  const std::string_view body = ScriptBody(script);
  if (!view || body.empty()) return nullptr;
  auto state = std::make_shared<CallState>();
  state->utf8 = HandsUtf8(script);
  GObjectRef<GCancellable> cancellable(g_cancellable_new());
  auto share = std::make_unique<StateShare>(state);
  webkit_web_view_call_async_javascript_function(view, body.data(), static_cast<gssize>(body.size()), ToArguments(args),
                                                 kScriptWorld, nullptr, cancellable.get(), OnPageCallFinished,
                                                 share.release());
  return std::make_unique<WebKitPageCall>(std::move(state), std::move(cancellable));
}

}  // namespace morvane
