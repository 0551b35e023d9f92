#include "browser/gtk/webkit_engine.h"

#include <webkit2/webkit2.h>

#include <optional>
#include <utility>
#include <vector>

#include "browser/gtk/gobject_ref.h"
#include "browser/gtk/webkit_page_call.h"
#include "util/cp932.h"

namespace morvane {
namespace {

// Failures that are not HTTP statuses are reported below this number, so
// their text is never three characters long.
constexpr long long kFailureBase = -100000;
constexpr long long kCertificateFailure = kFailureBase - 999;

// The engine gives addresses in their escaped form; one that is not still
// keeps every character.
std::string URLFromUtf8(const char* uri) { return uri ? Utf8URLToCp932(uri) : std::string(); }

const char* RequestURI(WebKitNavigationAction* action) {
  WebKitURIRequest* request = action ? webkit_navigation_action_get_request(action) : nullptr;
  return request ? webkit_uri_request_get_uri(request) : nullptr;
}

std::string SafeURI(WebKitWebView* view) {
  const char* uri = webkit_web_view_get_uri(view);
  return uri ? uri : "";
}

bool IsHttpFailure(guint status) { return status != 0 && (status < 200 || status >= 400); }

}  // namespace

struct WebKitEngine::Impl {
  BrowserEvents* events = nullptr;
  std::string home;
  GObjectRef<WebKitWebContext> context;
  GObjectRef<WebKitWebView> view;
  GObjectRef<WebKitWebView> hidden;
  std::vector<SignalConnection> viewSignals;
  std::vector<SignalConnection> hiddenSignals;
  bool committed = false;
  // The address of the document shown: the view's own address is that of a
  // load from the moment it starts, long before its document replaces the
  // one on screen.
  std::string committedURI;
  // The finish that follows a cancelled load (replaced, stopped, or refused
  // for its status) completes nothing.
  bool suppressFinish = false;
  bool certificateReported = false;
  // The load asked for last, as the view spells its address, until its own
  // navigation has been decided on: a load asked for earlier that finishes
  // in between completes nothing.
  std::string awaited;
  bool awaitedDecided = false;
  // A 404 is reported once its page is shown, so a wait it ends sees that page.
  std::optional<std::pair<std::string, guint>> notFound;
  std::string newWindowURL;
  std::string statusText;
  // Presses of a mouse button or key on the view, and clicks of ours: a new
  // window a page asks for during one of them is the user's request.
  unsigned long gestures = 0;

  Impl(const std::string& profileFolder, std::string homeURL);
  ~Impl();
  void ConnectSilentHandlers(WebKitWebView* v, std::vector<SignalConnection>& into);
  void ReleaseHidden();

  gboolean DecidePolicy(WebKitPolicyDecision* decision, WebKitPolicyDecisionType type);
  gboolean DecideHiddenPolicy(WebKitPolicyDecision* decision, WebKitPolicyDecisionType type);
  GtkWidget* CreateWindow(WebKitNavigationAction* action);
  void LoadChanged(WebKitLoadEvent event);
  gboolean LoadFailed(const char* uri, GError* error);
  gboolean CertificateFailed(const char* uri);
  void MouseTargetChanged(WebKitHitTestResult* hit);
  void CloseRequested();
  void HistoryChanged();
};

extern "C" {
static gboolean EngineDecidePolicy(WebKitWebView*, WebKitPolicyDecision* decision, WebKitPolicyDecisionType type,
                                   gpointer self) {
  return static_cast<WebKitEngine::Impl*>(self)->DecidePolicy(decision, type);
}
static gboolean EngineDecideHiddenPolicy(WebKitWebView*, WebKitPolicyDecision* decision,
                                         WebKitPolicyDecisionType type, gpointer self) {
  return static_cast<WebKitEngine::Impl*>(self)->DecideHiddenPolicy(decision, type);
}
static GtkWidget* EngineCreate(WebKitWebView*, WebKitNavigationAction* action, gpointer self) {
  return static_cast<WebKitEngine::Impl*>(self)->CreateWindow(action);
}
static GtkWidget* EngineRefuseWindow(WebKitWebView*, WebKitNavigationAction*, gpointer) { return nullptr; }
static void EngineLoadChanged(WebKitWebView*, WebKitLoadEvent event, gpointer self) {
  static_cast<WebKitEngine::Impl*>(self)->LoadChanged(event);
}
static gboolean EngineLoadFailed(WebKitWebView*, WebKitLoadEvent, gchar* uri, GError* error, gpointer self) {
  return static_cast<WebKitEngine::Impl*>(self)->LoadFailed(uri, error);
}
static gboolean EngineCertificateFailed(WebKitWebView*, gchar* uri, GTlsCertificate*, GTlsCertificateFlags,
                                        gpointer self) {
  return static_cast<WebKitEngine::Impl*>(self)->CertificateFailed(uri);
}
static void EngineMouseTarget(WebKitWebView*, WebKitHitTestResult* hit, guint, gpointer self) {
  static_cast<WebKitEngine::Impl*>(self)->MouseTargetChanged(hit);
}
static void EngineClose(WebKitWebView*, gpointer self) { static_cast<WebKitEngine::Impl*>(self)->CloseRequested(); }
static void EngineHistory(WebKitBackForwardList*, WebKitBackForwardListItem*, gpointer, gpointer self) {
  static_cast<WebKitEngine::Impl*>(self)->HistoryChanged();
}
static void EngineIgnoreClose(WebKitWebView*, gpointer) {}

static gboolean EngineUserInput(GtkWidget*, GdkEvent*, gpointer self) {
  ++static_cast<WebKitEngine::Impl*>(self)->gestures;
  return FALSE;  // the page gets the input as usual
}

// Silence: what a page asks of the user is answered as if declined.
static gboolean EngineScriptDialog(WebKitWebView*, WebKitScriptDialog* dialog, gpointer) {
  switch (webkit_script_dialog_get_dialog_type(dialog)) {
    case WEBKIT_SCRIPT_DIALOG_CONFIRM:
      webkit_script_dialog_confirm_set_confirmed(dialog, FALSE);
      break;
    case WEBKIT_SCRIPT_DIALOG_BEFORE_UNLOAD_CONFIRM:
      webkit_script_dialog_confirm_set_confirmed(dialog, TRUE);  // leaving a page is never blocked
      break;
    default:
      break;  // an alert is dropped; a prompt left without text is cancelled
  }
  return TRUE;
}
static gboolean EngineAuthenticate(WebKitWebView*, WebKitAuthenticationRequest* request, gpointer) {
  webkit_authentication_request_cancel(request);
  return TRUE;
}
static gboolean EnginePermission(WebKitWebView*, WebKitPermissionRequest* request, gpointer) {
  webkit_permission_request_deny(request);
  return TRUE;
}
static gboolean EngineFileChooser(WebKitWebView*, WebKitFileChooserRequest* request, gpointer) {
  webkit_file_chooser_request_cancel(request);
  return TRUE;
}
static gboolean EngineNotification(WebKitWebView*, WebKitNotification*, gpointer) { return TRUE; }
}

// A profile kept in folder, or one that lives in memory only when folder is empty.
static WebKitWebsiteDataManager* NewProfile(const std::string& folder) {
  if (folder.empty()) return webkit_website_data_manager_new_ephemeral();
  const std::string cache = folder + "/cache";
  g_mkdir_with_parents(cache.c_str(), 0700);
  WebKitWebsiteDataManager* data = webkit_website_data_manager_new(
      "base-data-directory", folder.c_str(), "base-cache-directory", cache.c_str(), nullptr);
  webkit_cookie_manager_set_persistent_storage(webkit_website_data_manager_get_cookie_manager(data),
                                               (folder + "/cookies.sqlite").c_str(),
                                               WEBKIT_COOKIE_PERSISTENT_STORAGE_SQLITE);
  return data;
}

WebKitEngine::Impl::Impl(const std::string& profileFolder, std::string homeURL) : home(std::move(homeURL)) {
  GObjectRef<WebKitWebsiteDataManager> data(NewProfile(profileFolder));
  webkit_website_data_manager_set_tls_errors_policy(data.get(), WEBKIT_TLS_ERRORS_POLICY_FAIL);
  context.reset(webkit_web_context_new_with_website_data_manager(data.get()));
  view = RefSink(WEBKIT_WEB_VIEW(webkit_web_view_new_with_context(context.get())));
  // New windows are decided by the browse mode, not by a popup blocker.
  webkit_settings_set_javascript_can_open_windows_automatically(webkit_web_view_get_settings(view.get()), TRUE);

  gpointer v = view.get();
  viewSignals.emplace_back(v, "decide-policy", G_CALLBACK(EngineDecidePolicy), this);
  viewSignals.emplace_back(v, "create", G_CALLBACK(EngineCreate), this);
  viewSignals.emplace_back(v, "load-changed", G_CALLBACK(EngineLoadChanged), this);
  viewSignals.emplace_back(v, "load-failed", G_CALLBACK(EngineLoadFailed), this);
  viewSignals.emplace_back(v, "load-failed-with-tls-errors", G_CALLBACK(EngineCertificateFailed), this);
  viewSignals.emplace_back(v, "mouse-target-changed", G_CALLBACK(EngineMouseTarget), this);
  viewSignals.emplace_back(v, "close", G_CALLBACK(EngineClose), this);
  viewSignals.emplace_back(v, "button-press-event", G_CALLBACK(EngineUserInput), this);
  viewSignals.emplace_back(v, "key-press-event", G_CALLBACK(EngineUserInput), this);
  viewSignals.emplace_back(webkit_web_view_get_back_forward_list(view.get()), "changed", G_CALLBACK(EngineHistory),
                           this);
  ConnectSilentHandlers(view.get(), viewSignals);
}

WebKitEngine::Impl::~Impl() {
  ReleaseHidden();
  viewSignals.clear();
  if (view) webkit_web_view_stop_loading(view.get());
}

void WebKitEngine::Impl::ConnectSilentHandlers(WebKitWebView* v, std::vector<SignalConnection>& into) {
  into.emplace_back(v, "script-dialog", G_CALLBACK(EngineScriptDialog), nullptr);
  into.emplace_back(v, "authenticate", G_CALLBACK(EngineAuthenticate), nullptr);
  into.emplace_back(v, "permission-request", G_CALLBACK(EnginePermission), nullptr);
  into.emplace_back(v, "run-file-chooser", G_CALLBACK(EngineFileChooser), nullptr);
  into.emplace_back(v, "show-notification", G_CALLBACK(EngineNotification), nullptr);
}

void WebKitEngine::Impl::ReleaseHidden() {
  hiddenSignals.clear();
  if (hidden) webkit_web_view_stop_loading(hidden.get());
  hidden.reset();
}

gboolean WebKitEngine::Impl::DecidePolicy(WebKitPolicyDecision* decision, WebKitPolicyDecisionType type) {
  switch (type) {
    case WEBKIT_POLICY_DECISION_TYPE_NAVIGATION_ACTION: {
      WebKitNavigationAction* action =
          webkit_navigation_policy_decision_get_navigation_action(WEBKIT_NAVIGATION_POLICY_DECISION(decision));
      const char* uri = RequestURI(action);
      if (!awaited.empty() && g_strcmp0(uri, awaited.c_str()) == 0)
        awaitedDecided = true;
      else if (webkit_navigation_action_get_navigation_type(action) != WEBKIT_NAVIGATION_TYPE_OTHER)
        awaited.clear();  // the page or the history moved on by itself
      if (events) events->OnBeforeNavigate(URLFromUtf8(uri));
      webkit_policy_decision_use(decision);
      return TRUE;
    }
    case WEBKIT_POLICY_DECISION_TYPE_NEW_WINDOW_ACTION: {
      // "create" follows and decides by the browse mode; for a link it may
      // not know the address yet.
      const char* uri = RequestURI(
          webkit_navigation_policy_decision_get_navigation_action(WEBKIT_NAVIGATION_POLICY_DECISION(decision)));
      newWindowURL = uri ? uri : "";
      webkit_policy_decision_use(decision);
      return TRUE;
    }
    case WEBKIT_POLICY_DECISION_TYPE_RESPONSE: {
      WebKitResponsePolicyDecision* answer = WEBKIT_RESPONSE_POLICY_DECISION(decision);
      WebKitURIResponse* response = webkit_response_policy_decision_get_response(answer);
      const guint status = webkit_uri_response_get_status_code(response);
      if (events && status == 404 && webkit_response_policy_decision_is_main_frame_main_resource(answer)) {
        notFound.emplace(URLFromUtf8(webkit_uri_response_get_uri(response)), status);
      } else if (events && IsHttpFailure(status) && webkit_response_policy_decision_is_main_frame_main_resource(answer)) {
        // A frame inside the page that fails is the frame's matter: it shows
        // what its server sent, and the page goes on.
        bool cancel = false;
        events->OnNavigateError(URLFromUtf8(webkit_uri_response_get_uri(response)), status, cancel);
        if (cancel) {
          suppressFinish = true;
          webkit_policy_decision_ignore(decision);
          return TRUE;
        }
      }
      // What cannot be shown is not downloaded behind the user's back either.
      if (!webkit_response_policy_decision_is_mime_type_supported(answer))
        webkit_policy_decision_ignore(decision);
      else
        webkit_policy_decision_use(decision);
      return TRUE;
    }
    default:
      webkit_policy_decision_use(decision);
      return TRUE;
  }
}

gboolean WebKitEngine::Impl::DecideHiddenPolicy(WebKitPolicyDecision* decision, WebKitPolicyDecisionType type) {
  // The hidden browser loads nothing; the first address it is sent to goes
  // to the visible browser instead.
  std::string url;
  if (type == WEBKIT_POLICY_DECISION_TYPE_NAVIGATION_ACTION)
    url = URLFromUtf8(RequestURI(
        webkit_navigation_policy_decision_get_navigation_action(WEBKIT_NAVIGATION_POLICY_DECISION(decision))));
  webkit_policy_decision_ignore(decision);
  if (type == WEBKIT_POLICY_DECISION_TYPE_NAVIGATION_ACTION && events) events->OnHiddenBeforeNavigate(url);
  return TRUE;
}

GtkWidget* WebKitEngine::Impl::CreateWindow(WebKitNavigationAction* action) {
  const char* uri = RequestURI(action);
  const std::string url = URLFromUtf8(uri && *uri ? uri : newWindowURL.c_str());
  newWindowURL.clear();
  if (!events) return nullptr;
  const unsigned long gesture = action && webkit_navigation_action_is_user_gesture(action) ? gestures : 0;
  if (events->OnNewWindow({url, gesture}) != NewWindowChoice::HiddenBrowser) return nullptr;
  ReleaseHidden();
  hidden = RefSink(WEBKIT_WEB_VIEW(webkit_web_view_new_with_related_view(view.get())));
  gpointer h = hidden.get();
  hiddenSignals.emplace_back(h, "decide-policy", G_CALLBACK(EngineDecideHiddenPolicy), this);
  hiddenSignals.emplace_back(h, "create", G_CALLBACK(EngineRefuseWindow), nullptr);
  hiddenSignals.emplace_back(h, "close", G_CALLBACK(EngineIgnoreClose), nullptr);
  ConnectSilentHandlers(hidden.get(), hiddenSignals);
  return GTK_WIDGET(hidden.get());
}

void WebKitEngine::Impl::LoadChanged(WebKitLoadEvent event) {
  switch (event) {
    case WEBKIT_LOAD_STARTED:
      suppressFinish = false;
      certificateReported = false;
      if (events) events->OnTopLevelLoadStarted();
      break;
    case WEBKIT_LOAD_COMMITTED:
      committed = true;
      committedURI = SafeURI(view.get());
      if (notFound && events) {
        bool cancel = false;
        events->OnNavigateError(notFound->first, notFound->second, cancel);
      }
      notFound.reset();
      break;
    case WEBKIT_LOAD_FINISHED: {
      notFound.reset();
      const bool stale = !awaited.empty() && !awaitedDecided && awaited != SafeURI(view.get());
      if (suppressFinish || stale) {
        suppressFinish = false;
        break;
      }
      awaited.clear();
      if (events) events->OnDocumentComplete(true);
      break;
    }
    default:
      break;
  }
}

gboolean WebKitEngine::Impl::LoadFailed(const char* uri, GError* error) {
  if (g_error_matches(error, WEBKIT_NETWORK_ERROR, WEBKIT_NETWORK_ERROR_CANCELLED)) {
    suppressFinish = true;
    return TRUE;
  }
  // Interruptions by a decision of ours, and plugins taking over, are no failures.
  if (error->domain == WEBKIT_POLICY_ERROR || error->domain == WEBKIT_PLUGIN_ERROR) return TRUE;
  if (certificateReported || !events) return TRUE;
  bool cancel = false;
  events->OnNavigateError(URLFromUtf8(uri), kFailureBase - error->code, cancel);
  if (!cancel) return FALSE;
  suppressFinish = true;  // the failed load completes nothing; the frame settles it
  return TRUE;
}

gboolean WebKitEngine::Impl::CertificateFailed(const char* uri) {
  certificateReported = true;
  bool cancel = false;
  if (events) events->OnNavigateError(URLFromUtf8(uri), kCertificateFailure, cancel);
  if (cancel) suppressFinish = true;
  return TRUE;  // the certificate is never accepted
}

void WebKitEngine::Impl::MouseTargetChanged(WebKitHitTestResult* hit) {
  std::string text;
  if (webkit_hit_test_result_context_is_link(hit)) text = URLFromUtf8(webkit_hit_test_result_get_link_uri(hit));
  if (text == statusText) return;
  statusText = text;
  if (events) events->OnStatusTextChange(text);
}

void WebKitEngine::Impl::CloseRequested() {
  // The view belongs to the window; a page can at most ask.
  bool cancel = false;
  if (events) events->OnWindowClosing(cancel);
}

void WebKitEngine::Impl::HistoryChanged() {
  // The document's own moves (history.pushState, an anchor) change its
  // address; a load still on its way does not, nor one that was stopped.
  if (WebKitBackForwardListItem* item = webkit_back_forward_list_get_current_item(webkit_web_view_get_back_forward_list(view.get())))
    if (committed) committedURI = webkit_back_forward_list_item_get_uri(item);
  if (!events) return;
  events->OnCommandStateChange(BrowserCommand::Forward, webkit_web_view_can_go_forward(view.get()));
  events->OnCommandStateChange(BrowserCommand::Back, webkit_web_view_can_go_back(view.get()));
}

WebKitEngine::WebKitEngine(const std::string& profileFolder, std::string homeURL)
    : impl_(std::make_unique<Impl>(profileFolder, std::move(homeURL))) {}

WebKitEngine::~WebKitEngine() = default;

GtkWidget* WebKitEngine::Widget() const { return GTK_WIDGET(impl_->view.get()); }

WebKitWebView* WebKitEngine::View() const { return impl_->view.get(); }
void WebKitEngine::SetEvents(BrowserEvents* events) { impl_->events = events; }

void WebKitEngine::Navigate(std::string_view url) {
  webkit_web_view_load_uri(impl_->view.get(), Cp932ToUtf8(url).c_str());
  impl_->awaited = SafeURI(impl_->view.get());
  impl_->awaitedDecided = false;
}

void WebKitEngine::Stop() {
  impl_->awaited.clear();
  webkit_web_view_stop_loading(impl_->view.get());
}
bool WebKitEngine::Busy() const { return webkit_web_view_is_loading(impl_->view.get()); }
bool WebKitEngine::HasDocument() const { return impl_->committed; }
bool WebKitEngine::ReadyStateComplete() const { return !webkit_web_view_is_loading(impl_->view.get()); }
std::string WebKitEngine::LocationURL() const { return URLFromUtf8(impl_->committedURI.c_str()); }
void WebKitEngine::GoBack() { webkit_web_view_go_back(impl_->view.get()); }
void WebKitEngine::GoForward() { webkit_web_view_go_forward(impl_->view.get()); }
void WebKitEngine::GoHome() { Navigate(impl_->home); }
void WebKitEngine::Reload() { webkit_web_view_reload(impl_->view.get()); }

bool WebKitEngine::HiddenBusy() const {
  return impl_->hidden && webkit_web_view_is_loading(impl_->hidden.get());
}

void WebKitEngine::ReleaseHiddenBrowser() { impl_->ReleaseHidden(); }

std::unique_ptr<PageCall> WebKitEngine::CallPage(PageScript script, std::vector<PageArgument> args) {
  if (script == PageScript::ClickElement) ++impl_->gestures;  // a click the user asked the frame for
  return StartPageCall(impl_->view.get(), script, args);
}

void WebKitEngine::LoadBytes(std::string bytes) {
  // The page is handed over without a copy; GLib frees it with the bytes.
  auto owned = std::make_unique<std::string>(std::move(bytes));
  const std::string& text = *owned;
  GBytes* page = g_bytes_new_with_free_func(text.data(), text.size(),
                                            [](gpointer p) { std::unique_ptr<std::string>(static_cast<std::string*>(p)); },
                                            owned.release());
  webkit_web_view_load_bytes(impl_->view.get(), page, "text/html", "shift_jis", nullptr);
  g_bytes_unref(page);
}

}  // namespace morvane
