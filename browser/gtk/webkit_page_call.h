#pragma once
// Page scripts run in our own script world of a web view, their arguments
// passed as values, never spliced into the script text.
#include <memory>
#include <vector>

#include "browser/core/page_call.h"

typedef struct _WebKitWebView WebKitWebView;

namespace morvane {

std::unique_ptr<PageCall> StartPageCall(WebKitWebView* view, PageScript script, const std::vector<PageArgument>& args);

}  // namespace morvane
