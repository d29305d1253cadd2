// Speeds of the settings library's hot paths:
//   build/default/bench/core/core_bench
#include "core/CDBManager.h"
#include "core/CWarrowCoreInterface.h"
#include "core/InstallationSetup.h"
#include "core/UsageReport.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

// A new installation folder, made current, whose log already holds `rows` lines.
class Installation {
public:
    explicit Installation(long rows) {
        m_dir = fs::temp_directory_path() /
                ("warrow-bench-" + std::to_string(::getpid()) + "-" + std::to_string(rows));
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
        fs::current_path(m_dir);
        core::CreateMissingInstallationFiles(m_dir.string());
        CDataBase::SetTraceStream(nullptr);
        const std::string fill = "WITH RECURSIVE n(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM n WHERE x < " +
                                 std::to_string(rows) +
                                 ") INSERT INTO [AppLog] ([DateTime], [Content], [Type]) SELECT 46000 + x / "
                                 "86400.0, '启动了[game].', 0 FROM n";
        if (rows > 0) {
            Db()->Execute(fill.c_str());
        }
    }
    ~Installation() {
        CDBManager::Destroy();
        fs::current_path(fs::temp_directory_path());
        fs::remove_all(m_dir);
    }
    CDataBase* Db() { return CDBManager::Instance().GetDataBase(kDataBasePath, kDataBasePassword); }

private:
    fs::path m_dir;
};

void BM_LogAppend(benchmark::State& state) {
    Installation folder(state.range(0));
    CWarrowLog log;
    log.SetDataBase(folder.Db());
    for (auto _ : state) {
        log.Log("启动了[game].");
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_LogAppend)->Arg(10)->Arg(1000000)->Unit(benchmark::kMicrosecond);

void BM_LogLoad(benchmark::State& state) {
    Installation folder(state.range(0));
    for (auto _ : state) {
        CWarrowLog log;
        log.SetDataBase(folder.Db());
        benchmark::DoNotOptimize(log.Load());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_LogLoad)->Arg(100000)->Unit(benchmark::kMillisecond);

// The usage figures of the last 14 days from a log of `rows` lines, one a
// minute, programs opening and closing in turn: only the days asked for are
// read, so the time should not grow with the log.
void BM_UsageFigures(benchmark::State& state) {
    Installation folder(0);
    const std::string fill =
        "WITH RECURSIVE n(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM n WHERE x < " +
        std::to_string(state.range(0)) +
        ") INSERT INTO [AppLog] ([DateTime], [Content], [Type]) SELECT 46000 + x / 1440.0, "
        "CASE x % 4 WHEN 0 THEN '启动了[game].' WHEN 1 THEN '关闭了[game].' WHEN 2 THEN "
        "'启动了[paint].' ELSE '关闭了[paint].' END, 0 FROM n";
    folder.Db()->Execute(fill.c_str());
    const double last = 46000 + static_cast<double>(state.range(0)) / 1440.0;
    const COleDateTime lastDay(last);
    const int day = lastDay.GetYear() * 10000 + lastDay.GetMonth() * 100 + lastDay.GetDay();
    for (auto _ : state) {
        core::tagUsageReport report;
        benchmark::DoNotOptimize(core::ComputeUsage(*folder.Db(), day, 14, last, report));
    }
}
BENCHMARK(BM_UsageFigures)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

// One batch of the service's log clean-up: how long another program's
// append may wait behind it.
void BM_LogDeleteBatch(benchmark::State& state) {
    Installation folder(1000000);
    CWarrowLog log;
    log.SetDataBase(folder.Db());
    for (auto _ : state) {
        benchmark::DoNotOptimize(log.DeleteOlderThan(COleDateTime(47000), 500));
    }
    state.SetItemsProcessed(state.iterations() * 500);
}
BENCHMARK(BM_LogDeleteBatch)->Iterations(400)->Unit(benchmark::kMillisecond);

void BM_IsValid(benchmark::State& state) {
    CIEListMng web;
    for (long i = 0; i < state.range(0); ++i) {
        tagIEInfo page;
        page.Name = "site" + std::to_string(i);
        page.Level = static_cast<int>(i % 2);
        page.Key = "http://site" + std::to_string(i) + ".example.com/";
        web.GetTree().Append(static_cast<int>(2 * i + 1), static_cast<int>(2 * i + 2), page);
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(web.IsValid("http://www.refused-address.example.org/some/page.html"));
    }
}
BENCHMARK(BM_IsValid)->Arg(100)->Arg(10000);

void BM_FindPath(benchmark::State& state) {
    CWriteListMng list;
    for (long i = 0; i < state.range(0); ++i) {
        tagAppInfo app;
        app.AppName = "app" + std::to_string(i);
        app.AppPath = "/opt/games/app" + std::to_string(i) + "/";
        list.Add(app.AppName.c_str(), app, false);
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(list.FindPath("/usr/lib/firefox/firefox-bin"));
    }
}
BENCHMARK(BM_FindPath)->Arg(100)->Arg(10000);

} // namespace

BENCHMARK_MAIN();
