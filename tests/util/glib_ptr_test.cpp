#include "util/glib_ptr.h"

#include <gtest/gtest.h>

namespace morvane {
namespace {

TEST(ParseAddressParts, AbsoluteAddressesWithAHostOnlyEscapesLeftAsWritten) {
  const std::optional<AddressParts> plain = ParseAddressParts("HTTPS://Vexa.Test/a%00b");
  ASSERT_TRUE(plain);
  EXPECT_EQ(plain->scheme, "https");
  EXPECT_EQ(plain->host, "Vexa.Test");
  EXPECT_EQ(plain->port, -1);
  EXPECT_TRUE(plain->IsHttp());
  const std::optional<AddressParts> v6 = ParseAddressParts("ftp://[::1]:2121/");
  ASSERT_TRUE(v6);
  EXPECT_EQ(v6->host, "::1");
  EXPECT_EQ(v6->port, 2121);
  EXPECT_FALSE(v6->IsHttp());
  for (const char* none : {"", "vexa.test/site", "http:///x", "mailto:a@vexa.test", "http://host/%zz",
                           "http://host:99999/", "file:///etc/passwd"})
    EXPECT_FALSE(ParseAddressParts(none)) << none;
}

}  // namespace
}  // namespace morvane
