#include "web/url_status.h"

#include "web/url_status_transfer.h"

namespace morvane {

bool QueryURLStatus(std::string_view url, std::string& status, std::string& lastModified) {
  return QueryURLStatus(url, status, lastModified, kURLStatusTimeout);
}

bool QueryURLStatus(std::string_view url, std::string& status, std::string& lastModified,
                    std::chrono::milliseconds timeout) {
  status.clear();
  lastModified.clear();
  const URLStatusTransfer transfer(url, timeout);
  if (!transfer.Handle()) return false;
  const URLStatusAnswer answer = transfer.Finish(curl_easy_perform(transfer.Handle()));
  if (answer.code == 0) return false;
  status = std::to_string(answer.code);
  lastModified = answer.lastModified;
  return status == "200" || status == "401";
}

}  // namespace morvane
