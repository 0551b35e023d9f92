#pragma once
// The window with sites that log into the stand-in service, one service for a
// whole suite (its web engine stays warm from test to test).
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/site_record.h"
#include "support/fake_service.h"
#include "window_test_support.h"

namespace morvane::testing {

class ServiceWindowTest : public WindowTest {
 protected:
  static void SetUpTestSuite() { service = new FakeService(); }
  static void TearDownTestSuite() {
    delete service;
    service = nullptr;
  }

  void SetUp() override {
    serviceUrl = service->URL("/");
    OpenForms();
  }

  struct Site {
    std::string name, page, id, pass;  // page: a path at the service, or a whole address
  };
  // Adds the sites to the catalogue (not yet shown) under the category given.
  void AddSites(const std::vector<Site>& sites, std::string_view category = "") {
    for (const Site& s : sites) {
      SiteRecord r;
      r.SiteName = J(s.name);
      r.SiteURL = siteAddress(s);
      r.Category = J(category);
      r.RegistDate = "2026/12/09 00:00:00";
      r.AccessURL = s.page.rfind("http", 0) == 0 ? s.page : service->URL(s.page);
      r.LoginID = J(s.id);
      r.LoginPass = J(s.pass);
      W().Catalogue().SiteList().Add(FormatSiteLine(r));
    }
  }
  // The markup of the page the browser shows (UTF-8).
  std::string PageText() { return Cp932ToUtf8(W().frBrowserBase1().GetHTMLSource()); }
  bool PageHas(std::string_view utf8) { return PageText().find(utf8) != std::string::npos; }

  // The address a site is given: by default a page of its own at the service.
  std::function<std::string(const Site&)> siteAddress = [](const Site& s) {
    return service->URL("/modified?" + PercentEncoded(s.name));
  };
  inline static FakeService* service = nullptr;
};

}  // namespace morvane::testing
