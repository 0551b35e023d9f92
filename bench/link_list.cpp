// The page link list over generated pages of 1 MB and 10 MB, against
// libxml2's HTML parser with an XPath walk over the same bytes.
#include <benchmark/benchmark.h>

#include <string>

#include "navi/core/link_list.h"

#ifdef MORVANE_HAVE_LIBXML2
#include <libxml/HTMLparser.h>
#include <libxml/xpath.h>
#endif

namespace {

// About 100 bytes per anchor: Japanese link texts (UTF-8, as the engine
// hands the page over), inner tags, every eighth
// link a duplicate, references relative in several ways.
std::string MakePage(std::size_t anchors) {
  static const char* const kRefs[] = {"../cat/item", "./item", "/shop/item", "item", "http://other.test/x/item"};
  std::string page = "<html><head><title>商品一覧</title></head><body>\r\n";
  page.reserve(anchors * 110);
  for (std::size_t i = 0; i < anchors; ++i) {
    const std::size_t n = i % 8 == 7 ? i - 7 : i;
    page += "<p class=\"item\"><a href=\"";
    page += kRefs[n % 5];
    page += std::to_string(n);
    page += ".html\" target=\"_blank\"><b>商品</b>名前";
    page += std::to_string(n);
    page += "</a> 説明</p>\r\n";
  }
  page += "</body></html>\r\n";
  return page;
}

const std::string& Page(std::size_t anchors) {
  static const std::string small = MakePage(10000), large = MakePage(100000);
  return anchors == 10000 ? small : large;
}

void BM_PageLinkList(benchmark::State& state) {
  const std::string& page = Page(static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) {
    const morvane::PageLinkList list = morvane::BuildPageLinkList(page, "http://host.test/dir/page.html", {}, {});
    std::string shown = list.Page();
    benchmark::DoNotOptimize(shown);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * page.size()));
  state.counters["page_MB"] = static_cast<double>(page.size()) / 1e6;
}
BENCHMARK(BM_PageLinkList)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

#ifdef MORVANE_HAVE_LIBXML2
void BM_Libxml2Anchors(benchmark::State& state) {
  const std::string& page = Page(static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) {
    htmlDocPtr doc = htmlReadMemory(page.data(), static_cast<int>(page.size()), "http://host.test/dir/page.html",
                                    "UTF-8", HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING | HTML_PARSE_NONET);
    xmlXPathContextPtr context = xmlXPathNewContext(doc);
    xmlXPathObjectPtr found = xmlXPathEvalExpression(BAD_CAST "//a[@href]", context);
    std::size_t bytes = 0;
    if (found != nullptr && found->nodesetval != nullptr) {
      for (int i = 0; i < found->nodesetval->nodeNr; ++i) {
        xmlNodePtr a = found->nodesetval->nodeTab[i];
        xmlChar* href = xmlGetProp(a, BAD_CAST "href");
        xmlChar* text = xmlNodeGetContent(a);
        bytes += xmlStrlen(href) + xmlStrlen(text);
        xmlFree(href);
        xmlFree(text);
      }
    }
    benchmark::DoNotOptimize(bytes);
    xmlXPathFreeObject(found);
    xmlXPathFreeContext(context);
    xmlFreeDoc(doc);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * page.size()));
}
BENCHMARK(BM_Libxml2Anchors)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
#endif

}  // namespace

BENCHMARK_MAIN();
