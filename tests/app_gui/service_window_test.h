#pragma once
// The window with sites that log into the stand-in service, one service for a
// whole suite (its web engine stays warm from test to test).
#include <string>
#include <string_view>

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
  // Adds the site to the catalogue (not yet shown) under the category given.
  void AddToCatalogue(const Site& s, const std::string& siteUrl, std::string_view category = "") {
    SiteRecord r;
    r.SiteName = J(s.name);
    r.SiteURL = siteUrl;
    r.Category = J(category);
    r.RegistDate = "2026/12/09 00:00:00";
    r.AccessURL = s.page.rfind("http", 0) == 0 ? s.page : service->URL(s.page);
    r.LoginID = J(s.id);
    r.LoginPass = J(s.pass);
    W().Catalogue().SiteList().Add(FormatSiteLine(r));
  }

  inline static FakeService* service = nullptr;
};

}  // namespace morvane::testing
