// The browser's address check, which runs for every navigation of every frame:
// a web tree of 10,000 site entries, an address it admits late and one it
// refuses (which walks every entry).

#include "browser/NavigationPolicy.h"
#include "core/CIEListMng.h"
#include "core/WebKey.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

CIEListMng& Tree(int sites) {
    static CIEListMng web;
    static int built = 0;
    if (built != sites) {
        web = CIEListMng();
        for (int i = 0; i < sites; ++i) {
            tagIEInfo site;
            site.Name = "site" + std::to_string(i);
            site.Url = "https://www.example" + std::to_string(i) + ".com/start/page.html";
            site.Level = i % 3;
            DeriveKey(site);
            web.Insert(nullptr, site, CIEListMng::Tree::INSERT_LAST);
        }
        built = sites;
    }
    return web;
}

void BM_AdmitsAddress(benchmark::State& state, const char* address) {
    const CIEListMng& web = Tree(static_cast<int>(state.range(0)));
    const std::string url = address;
    for (auto _ : state) {
        benchmark::DoNotOptimize(AdmitsAddress(web, url));
    }
}

BENCHMARK_CAPTURE(BM_AdmitsAddress, refused_https,
                  "https://www.elsewhere.org/some/longer/path/to/a/page.html?with=query&and=more")
    ->Arg(100)
    ->Arg(10000);
BENCHMARK_CAPTURE(BM_AdmitsAddress, admitted_last_https, "https://www.example9999.com/start/page.html")
    ->Arg(10000);
BENCHMARK_CAPTURE(BM_AdmitsAddress, refused_file, "file:///home/child/example5.com.html")->Arg(10000);

} // namespace

BENCHMARK_MAIN();
