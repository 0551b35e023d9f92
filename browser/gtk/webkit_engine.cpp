#include "browser/gtk/webkit_engine.h"

#include <fcntl.h>
#include <glib/gstdio.h>
#include <unistd.h>
#include <webkit2/webkit2.h>

#include <algorithm>
#include <map>
#include <memory>
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

// The server wants the answer saved, not shown.
bool IsAttachment(WebKitURIResponse* response) {
  SoupMessageHeaders* headers = webkit_uri_response_get_http_headers(response);
  char* disposition = nullptr;
  if (!headers || !soup_message_headers_get_content_disposition(headers, &disposition, nullptr)) return false;
  const GCharPtr owned(disposition);
  return g_ascii_strcasecmp(disposition, "attachment") == 0;
}

bool IsHttpFailure(guint status) { return status != 0 && (status < 200 || status >= 400); }

// A download is written to a file of its own beside the one chosen and put
// in its place only when complete: the engine removes what it was writing
// when a download fails, which must never be the user's file (it even
// removes an existing file it refused to replace).
// The downloads under way of one engine and who is told how they go; the
// downloads hold it weakly, so an engine that is gone hears nothing more.
struct DownloadTracker {
  WebKitEngine::DownloadListener listener;
  std::map<int, WebKitDownload*> running;
  int lastId = 0;
};

class SaveByRename {
 public:
  static bool Start(WebKitDownload* download, DownloadTarget target,
                    const std::shared_ptr<DownloadTracker>& tracker = nullptr) {
    if (target.file.empty()) return false;
    if (!target.overwrite && g_file_test(target.file.c_str(), G_FILE_TEST_EXISTS)) return false;
    std::string part = target.file + ".XXXXXX";
    const int fd = g_mkstemp_full(part.data(), O_WRONLY, 0600);
    if (fd < 0) return false;
    close(fd);
    auto* save = new SaveByRename{std::move(target), std::move(part)};
    if (tracker) {
      save->tracker = tracker;
      save->progress.id = ++tracker->lastId;
      GCharPtr name(g_filename_display_basename(save->target.file.c_str()));
      save->progress.name = name.get();
      save->progress.file = save->target.file;
      tracker->running[save->progress.id] = download;
      g_signal_connect(download, "received-data", G_CALLBACK(Received), save);
    }
    g_signal_connect(download, "failed", G_CALLBACK(Failed), save);
    g_signal_connect_data(
        download, "finished", G_CALLBACK(Finished), save,
        [](gpointer data, GClosure*) { delete static_cast<SaveByRename*>(data); }, GConnectFlags(0));
    webkit_download_set_allow_overwrite(download, TRUE);  // the part file is ours
    webkit_download_set_destination(download, save->part.c_str());
    save->Tell();
    return true;
  }

 private:
  SaveByRename(DownloadTarget t, std::string p) : target(std::move(t)), part(std::move(p)) {}
  static void Failed(WebKitDownload*, GError* error, gpointer data) {
    auto* save = static_cast<SaveByRename*>(data);
    save->failed = true;
    save->cancelled = g_error_matches(error, WEBKIT_DOWNLOAD_ERROR, WEBKIT_DOWNLOAD_ERROR_CANCELLED_BY_USER);
  }
  static void Received(WebKitDownload* download, guint64, gpointer data) {
    auto* save = static_cast<SaveByRename*>(data);
    save->progress.received = webkit_download_get_received_data_length(download);
    if (WebKitURIResponse* response = webkit_download_get_response(download))
      save->progress.total = webkit_uri_response_get_content_length(response);
    save->Tell();
  }
  static void Finished(WebKitDownload*, gpointer data) {
    auto* save = static_cast<SaveByRename*>(data);
    // A file that turned up meanwhile was not agreed to be replaced.
    const bool keepOther = !save->target.overwrite && g_file_test(save->target.file.c_str(), G_FILE_TEST_EXISTS);
    const bool placed = !save->failed && !keepOther && g_rename(save->part.c_str(), save->target.file.c_str()) == 0;
    if (!placed) g_unlink(save->part.c_str());
    using State = DownloadProgress::State;
    save->progress.state = placed ? State::Done : save->cancelled ? State::Cancelled : State::Failed;
    if (const std::shared_ptr<DownloadTracker> tracker = save->tracker.lock())
      tracker->running.erase(save->progress.id);
    save->Tell();
  }
  void Tell() const {
    if (const std::shared_ptr<DownloadTracker> t = tracker.lock())
      if (t->listener) t->listener(progress);
  }

  DownloadTarget target;
  std::string part;
  bool failed = false, cancelled = false;
  std::weak_ptr<DownloadTracker> tracker;
  DownloadProgress progress;
};

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
  unsigned long gesturesAtCommit = 0;  // as they stood when the shown document came
  // The notice that stands in for a page whose process ended: its load is
  // the program's own, and a reload loads the page it stands for.
  bool noticeLoading = false;  // asked for, not started yet
  bool noticeLoad = false;     // the load under way is the notice's
  bool noticeShown = false;
  std::string noticeFor;
  // Only our own replacement of window.close knows it, so no frame inside
  // the page can pass for the page closing its window.
  std::string closeToken;
  // Downloads waiting for their destination to be decided.
  std::vector<std::pair<std::shared_ptr<WebKitDownload>, SignalConnection>> downloads;
  // Those under way, for the download strip.
  std::shared_ptr<DownloadTracker> downloadTracker = std::make_shared<DownloadTracker>();
  WebKitEngine::SignInAsker signInAsker;
  SignInPrompts signInPrompts;
  gboolean AskSignIn(WebKitAuthenticationRequest* request);

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
  void ProcessTerminated();
  void CatchWindowClose();
  void CloseMessage(WebKitJavascriptResult* message);
  void DownloadStarted(WebKitDownload* download);
  gboolean DecideDestination(WebKitDownload* download, const char* suggestedName);
};

extern "C" {
static gboolean EngineDecidePolicy(WebKitWebView*, WebKitPolicyDecision* decision, WebKitPolicyDecisionType type,
                                   gpointer self) {
  return static_cast<WebKitEngine::Impl*>(self)->DecidePolicy(decision, type);
}
static gboolean EngineDecideHiddenPolicy(WebKitWebView*, WebKitPolicyDecision* decision, WebKitPolicyDecisionType type,
                                         gpointer self) {
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
  auto* impl = static_cast<WebKitEngine::Impl*>(self);
  ++impl->gestures;
  if (impl->events) impl->events->OnUserInput();
  return FALSE;  // the page gets the input as usual
}
static void EngineProcessTerminated(WebKitWebView*, WebKitWebProcessTerminationReason, gpointer self) {
  static_cast<WebKitEngine::Impl*>(self)->ProcessTerminated();
}
static void EngineCloseMessage(WebKitUserContentManager*, WebKitJavascriptResult* message, gpointer self) {
  static_cast<WebKitEngine::Impl*>(self)->CloseMessage(message);
}
static void EngineDownloadStarted(WebKitWebContext*, WebKitDownload* download, gpointer self) {
  static_cast<WebKitEngine::Impl*>(self)->DownloadStarted(download);
}
static gboolean EngineDecideDestination(WebKitDownload* download, gchar* suggestedName, gpointer self) {
  return static_cast<WebKitEngine::Impl*>(self)->DecideDestination(download, suggestedName);
}

// Silence: what a page asks of the user is answered as if declined.
static gboolean EngineScriptDialog(WebKitWebView*, WebKitScriptDialog* dialog, gpointer) {
  switch (webkit_script_dialog_get_dialog_type(dialog)) {
    case WEBKIT_SCRIPT_DIALOG_CONFIRM: webkit_script_dialog_confirm_set_confirmed(dialog, FALSE); break;
    case WEBKIT_SCRIPT_DIALOG_BEFORE_UNLOAD_CONFIRM:
      webkit_script_dialog_confirm_set_confirmed(dialog, TRUE);  // leaving a page is never blocked
      break;
    default: break;  // an alert is dropped; a prompt left without text is cancelled
  }
  return TRUE;
}
static gboolean EngineAskSignIn(WebKitWebView*, WebKitAuthenticationRequest* request, gpointer self) {
  return static_cast<WebKitEngine::Impl*>(self)->AskSignIn(request);
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
  WebKitWebsiteDataManager* data = webkit_website_data_manager_new("base-data-directory", folder.c_str(),
                                                                   "base-cache-directory", cache.c_str(), nullptr);
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
  viewSignals.emplace_back(v, "web-process-terminated", G_CALLBACK(EngineProcessTerminated), this);
  viewSignals.emplace_back(context.get(), "download-started", G_CALLBACK(EngineDownloadStarted), this);
  // Before the silent handlers: the shown page's sign-in requests may be asked.
  viewSignals.emplace_back(v, "authenticate", G_CALLBACK(EngineAskSignIn), this);
  ConnectSilentHandlers(view.get(), viewSignals);
  CatchWindowClose();
}

// The engine raises a page's close request only for windows a script
// opened; a page may ask to close the window it is shown in all the same.
// Our own window.close, put in before any script of the page runs, passes
// the request on; a frame inside the page never reaches it.
void WebKitEngine::Impl::CatchWindowClose() {
  GCharPtr token(g_uuid_string_random());
  closeToken = token.get();
  WebKitUserContentManager* content = webkit_web_view_get_user_content_manager(view.get());
  viewSignals.emplace_back(content, "script-message-received::closeWindow", G_CALLBACK(EngineCloseMessage), this);
  webkit_user_content_manager_register_script_message_handler(content, "closeWindow");
  const std::string source =
      "(() => { const handler = window.webkit.messageHandlers.closeWindow;"
      " const send = handler.postMessage.bind(handler); const token = '" +
      closeToken + "'; window.close = function close() { send(token); }; })();";
  WebKitUserScript* script = webkit_user_script_new(source.c_str(), WEBKIT_USER_CONTENT_INJECT_TOP_FRAME,
                                                    WEBKIT_USER_SCRIPT_INJECT_AT_DOCUMENT_START, nullptr, nullptr);
  webkit_user_content_manager_add_script(content, script);
  webkit_user_script_unref(script);
}

void WebKitEngine::Impl::CloseMessage(WebKitJavascriptResult* message) {
  JSCValue* value = message ? webkit_javascript_result_get_js_value(message) : nullptr;
  if (!value || !jsc_value_is_string(value)) return;
  GCharPtr text(jsc_value_to_string(value));
  if (text && closeToken == text.get()) CloseRequested();
}

gboolean WebKitEngine::Impl::AskSignIn(WebKitAuthenticationRequest* request) {
  if (!signInAsker) return FALSE;  // declined by the silent handler
  // The server from the request itself: the page chooses only the realm.
  const char* host = webkit_authentication_request_get_host(request);
  std::string server = host ? host : "";
  if (const guint port = webkit_authentication_request_get_port(request)) server += ":" + std::to_string(port);
  const char* realm = webkit_authentication_request_get_realm(request);
  const SignInRequest shown =
      SignInPrompts::Shown(server, realm ? realm : "", webkit_authentication_request_is_retry(request),
                           webkit_authentication_request_is_for_proxy(request));
  if (!signInPrompts.MayAsk(shown)) {
    webkit_authentication_request_cancel(request);
    return TRUE;
  }
  // The box runs the main loop; the request must outlive it.
  const GObjectRef<WebKitAuthenticationRequest> held(static_cast<WebKitAuthenticationRequest*>(g_object_ref(request)));
  signInPrompts.Opened();
  const std::optional<SignInAnswer> answer = signInAsker(shown);
  signInPrompts.Closed(shown, answer.has_value());
  if (!answer) {
    webkit_authentication_request_cancel(request);
    return TRUE;
  }
  // Kept for this run only: the engine's "remember" is never offered.
  WebKitCredential* credential =
      webkit_credential_new(answer->user.c_str(), answer->password.c_str(), WEBKIT_CREDENTIAL_PERSISTENCE_FOR_SESSION);
  webkit_authentication_request_authenticate(request, credential);
  webkit_credential_free(credential);
  return TRUE;
}

void WebKitEngine::SetSignInAsker(SignInAsker asker) { impl_->signInAsker = std::move(asker); }

void WebKitEngine::SetDownloadListener(DownloadListener listener) {
  impl_->downloadTracker->listener = std::move(listener);
}

void WebKitEngine::CancelDownload(int id) {
  const auto it = impl_->downloadTracker->running.find(id);
  if (it != impl_->downloadTracker->running.end()) webkit_download_cancel(it->second);
}

WebKitEngine::Impl::~Impl() {
  ReleaseHidden();
  // Nobody is left to decide where they go.
  for (auto& [download, connection] : downloads) {
    connection.Disconnect();
    webkit_download_cancel(download.get());
  }
  downloads.clear();
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
      if (!awaited.empty() && g_strcmp0(uri, awaited.c_str()) == 0) awaitedDecided = true;
      else if (webkit_navigation_action_get_navigation_type(action) != WEBKIT_NAVIGATION_TYPE_OTHER)
        awaited.clear();  // the page or the history moved on by itself
      // The notice of a lost page is no navigation of the page's.
      if (events && !noticeLoading) events->OnBeforeNavigate(URLFromUtf8(uri));
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
      } else if (events && IsHttpFailure(status) &&
                 webkit_response_policy_decision_is_main_frame_main_resource(answer)) {
        // A frame inside the page that fails is the frame's matter: it shows
        // what its server sent, and the page goes on.
        const std::string url = URLFromUtf8(webkit_uri_response_get_uri(response));
        if (events->OnNavigateError(url, status) == NavigateErrorChoice::Cancel) {
          suppressFinish = true;
          webkit_policy_decision_ignore(decision);
          return TRUE;
        }
      }
      // What cannot be shown becomes a download, which the frame offers to
      // the user only after a click of theirs; a frame inside the page
      // saves nothing.
      const bool attachment = IsAttachment(response);
      if (webkit_response_policy_decision_is_mime_type_supported(answer) && !attachment)
        webkit_policy_decision_use(decision);
      else if (webkit_response_policy_decision_is_main_frame_main_resource(answer))
        webkit_policy_decision_download(decision);
      else webkit_policy_decision_ignore(decision);
      return TRUE;
    }
    default: webkit_policy_decision_use(decision); return TRUE;
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
      noticeLoad = std::exchange(noticeLoading, false);
      noticeShown = noticeLoad;
      if (noticeLoad) break;
      suppressFinish = false;
      certificateReported = false;
      if (events) events->OnTopLevelLoadStarted();
      break;
    case WEBKIT_LOAD_COMMITTED:
      committed = true;
      gesturesAtCommit = gestures;
      committedURI = SafeURI(view.get());
      if (noticeLoad) break;
      if (notFound && events) events->OnNavigateError(notFound->first, notFound->second);
      notFound.reset();
      break;
    case WEBKIT_LOAD_FINISHED: {
      if (std::exchange(noticeLoad, false)) break;
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
    default: break;
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
  if (events->OnNavigateError(URLFromUtf8(uri), kFailureBase - error->code) == NavigateErrorChoice::Proceed)
    return FALSE;
  suppressFinish = true;  // the failed load completes nothing; the frame settles it
  return TRUE;
}

gboolean WebKitEngine::Impl::CertificateFailed(const char* uri) {
  certificateReported = true;
  if (events && events->OnNavigateError(URLFromUtf8(uri), kCertificateFailure) == NavigateErrorChoice::Cancel)
    suppressFinish = true;
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

void WebKitEngine::Impl::ProcessTerminated() {
  // What was on its way is gone with the process: nothing of it finishes.
  noticeFor = SafeURI(view.get());
  suppressFinish = false;
  certificateReported = false;
  awaited.clear();
  notFound.reset();
  statusText.clear();
  noticeLoading = noticeLoad = false;
  if (events) events->OnPageProcessEnded(URLFromUtf8(noticeFor.c_str()));
}

void WebKitEngine::Impl::DownloadStarted(WebKitDownload* download) {
  // The hidden browser, and a browser whose frame is gone, never download.
  if (webkit_download_get_web_view(download) != view.get() || !events) {
    webkit_download_cancel(download);
    return;
  }
  std::shared_ptr<WebKitDownload> held(WEBKIT_DOWNLOAD(g_object_ref(download)), GObjectUnref());
  SignalConnection decide(download, "decide-destination", G_CALLBACK(EngineDecideDestination), this);
  downloads.emplace_back(std::move(held), std::move(decide));
}

// Answered later: nothing is written until the destination is set.
gboolean WebKitEngine::Impl::DecideDestination(WebKitDownload* download, const char* suggestedName) {
  auto pending = std::find_if(downloads.begin(), downloads.end(),
                              [download](const auto& entry) { return entry.first.get() == download; });
  if (pending == downloads.end()) {
    webkit_download_cancel(download);
    return TRUE;
  }
  std::shared_ptr<WebKitDownload> held = pending->first;
  downloads.erase(pending);
  WebKitURIRequest* request = webkit_download_get_request(download);
  const char* uri = request ? webkit_uri_request_get_uri(request) : nullptr;
  if (!events) {
    webkit_download_cancel(download);
    return TRUE;
  }
  events->OnDownload(
      {uri ? uri : "", suggestedName ? suggestedName : "", gestures != gesturesAtCommit},
      [held, tracker = std::weak_ptr<DownloadTracker>(downloadTracker)](std::optional<DownloadTarget> target) {
        if (!target || !SaveByRename::Start(held.get(), std::move(*target), tracker.lock()))
          webkit_download_cancel(held.get());
      });
  return TRUE;
}

void WebKitEngine::Impl::HistoryChanged() {
  // The document's own moves (history.pushState, an anchor) change its
  // address; a load still on its way does not, nor one that was stopped.
  if (WebKitBackForwardListItem* item =
          webkit_back_forward_list_get_current_item(webkit_web_view_get_back_forward_list(view.get())))
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
  impl_->noticeLoading = false;
  impl_->signInPrompts.NewPage();
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
void WebKitEngine::GoBack() {
  impl_->signInPrompts.NewPage();
  webkit_web_view_go_back(impl_->view.get());
}
void WebKitEngine::GoForward() {
  impl_->signInPrompts.NewPage();
  webkit_web_view_go_forward(impl_->view.get());
}
void WebKitEngine::GoHome() { Navigate(impl_->home); }
void WebKitEngine::Reload() {
  impl_->signInPrompts.NewPage();
  // The notice's own reload would only show it again.
  if (impl_->noticeShown && !impl_->noticeFor.empty()) Navigate(impl_->noticeFor);
  else webkit_web_view_reload(impl_->view.get());
}

bool WebKitEngine::HiddenBusy() const { return impl_->hidden && webkit_web_view_is_loading(impl_->hidden.get()); }

void WebKitEngine::ReleaseHiddenBrowser() { impl_->ReleaseHidden(); }

std::unique_ptr<PageCall> WebKitEngine::CallPage(PageScript script, std::vector<PageArgument> args) {
  if (script == PageScript::ClickElement) ++impl_->gestures;  // a click the user asked the frame for
  return StartPageCall(impl_->view.get(), script, args);
}

void WebKitEngine::ShowNotice(std::string bytes) {
  impl_->noticeLoading = true;
  LoadBytes(std::move(bytes));
}

void WebKitEngine::LoadBytes(std::string bytes) {
  // The page is handed over without a copy; GLib frees it with the bytes.
  auto owned = std::make_unique<std::string>(std::move(bytes));
  const std::string& text = *owned;
  GBytes* page = g_bytes_new_with_free_func(
      text.data(), text.size(), [](gpointer p) { std::unique_ptr<std::string>(static_cast<std::string*>(p)); },
      owned.release());
  webkit_web_view_load_bytes(impl_->view.get(), page, "text/html", "shift_jis", nullptr);
  g_bytes_unref(page);
}

}  // namespace morvane
