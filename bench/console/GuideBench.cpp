// guide_bench: what the setup guide's readers cost on a large desktop.
//  - BM_InstalledPrograms: the first step's list from N desktop entries
//    (one folder, every tenth hidden), programs resolved;
//  - BM_ReadFirefoxPlaces: N bookmarks of a places.sqlite, copy included;
//  - BM_ReadChromiumBookmarks: N bookmarks of a Bookmarks file.
// The files are made in a temporary folder first.

#include "console/BrowserBookmarks.h"
#include "console/InstalledPrograms.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

fs::path Scratch(const std::string& name) {
    const fs::path folder = fs::temp_directory_path() / ("guide-bench-" + std::to_string(::getpid())) / name;
    fs::remove_all(folder);
    fs::create_directories(folder);
    return folder;
}

void BM_InstalledPrograms(benchmark::State& state) {
    const fs::path folder = Scratch("apps-" + std::to_string(state.range(0)));
    const fs::path program = folder / "game";
    std::ofstream(program) << "#!/bin/sh\n";
    fs::permissions(program, fs::perms::owner_all);
    fs::create_directories(folder / "applications");
    for (int i = 0; i < state.range(0); ++i) {
        std::ofstream(folder / "applications" / ("app" + std::to_string(i) + ".desktop"))
            << "[Desktop Entry]\nType=Application\nName=Game " << i << "\nName[zh_CN]=游戏 " << i
            << "\nExec=" << program.string() << " --level " << i << " %U\nIcon=game\nCategories=Game;\n"
            << (i % 10 == 0 ? "NoDisplay=true\n" : "");
    }
    const std::vector<std::string> folders = {(folder / "applications").string()};
    for (auto _ : state) {
        benchmark::DoNotOptimize(console::InstalledPrograms(folders));
    }
    fs::remove_all(folder);
}
BENCHMARK(BM_InstalledPrograms)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond);

void BM_ReadFirefoxPlaces(benchmark::State& state) {
    const fs::path folder = Scratch("places-" + std::to_string(state.range(0)));
    const std::string places = (folder / "places.sqlite").string();
    sqlite3* db = nullptr;
    sqlite3_open(places.c_str(), &db);
    sqlite3_exec(
        db,
        "CREATE TABLE moz_places (id INTEGER PRIMARY KEY, url TEXT, title TEXT);"
        "CREATE TABLE moz_bookmarks (id INTEGER PRIMARY KEY, type INTEGER, fk INTEGER, parent INTEGER,"
        " position INTEGER, title TEXT, guid TEXT);"
        "INSERT INTO moz_bookmarks VALUES (1, 2, NULL, 0, 0, '', 'root________'),"
        " (2, 2, NULL, 1, 0, 'tags', 'tags________'), (3, 2, NULL, 1, 1, 'menu', 'menu________');"
        "BEGIN",
        nullptr, nullptr, nullptr);
    for (int i = 0; i < state.range(0); ++i) {
        const std::string sql = "INSERT INTO moz_places VALUES (" + std::to_string(i + 1) +
                                ", 'https://site" + std::to_string(i) + ".example.org/page', 'Site');" +
                                "INSERT INTO moz_bookmarks VALUES (" + std::to_string(i + 10) + ", 1, " +
                                std::to_string(i + 1) + ", 3, " + std::to_string(i) + ", 'Site " +
                                std::to_string(i) + "', 'g" + std::to_string(i) + "');";
        sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr);
    }
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    for (auto _ : state) {
        benchmark::DoNotOptimize(console::ReadFirefoxPlaces(places));
    }
    fs::remove_all(folder);
}
BENCHMARK(BM_ReadFirefoxPlaces)->Arg(5000)->Unit(benchmark::kMillisecond);

void BM_ReadChromiumBookmarks(benchmark::State& state) {
    const fs::path folder = Scratch("chromium-" + std::to_string(state.range(0)));
    {
        std::ofstream out(folder / "Bookmarks");
        out << R"({"roots": {"bookmark_bar": {"type": "folder", "children": [)";
        for (int i = 0; i < state.range(0); ++i) {
            out << (i ? "," : "") << R"({"type": "url", "name": "Site )" << i << R"(", "url": "https://site)"
                << i << R"(.example.org/"})";
        }
        out << "]}}}";
    }
    const std::string file = (folder / "Bookmarks").string();
    for (auto _ : state) {
        benchmark::DoNotOptimize(console::ReadChromiumBookmarks(file));
    }
    fs::remove_all(folder);
}
BENCHMARK(BM_ReadChromiumBookmarks)->Arg(5000)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
