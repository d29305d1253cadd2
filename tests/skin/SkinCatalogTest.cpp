// The list of skin files: well formed, and naming every bitmap the programs'
// code asks for, so a missing file shows up in the build instead of on a
// parent's screen.

#include "tools/skingen/SkinCatalog.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <regex>
#include <set>
#include <string>

namespace fs = std::filesystem;

TEST(SkinCatalog, NamesEachFileOnceInBothSkinFolders) {
    std::set<std::string> seen;
    for (const skin::SkinFile& file : skin::SkinFiles()) {
        EXPECT_TRUE(seen.insert(file.path).second) << file.path;
        EXPECT_TRUE(file.path.starts_with("Resource/儿童界面/") ||
                    file.path.starts_with("Resource/家长界面/"))
            << file.path;
        EXPECT_TRUE(file.path.ends_with(".bmp")) << file.path;
        EXPECT_GT(file.width, 0) << file.path;
        EXPECT_GT(file.height, 0) << file.path;
    }
    // Names with easily mistyped state suffixes.
    for (const char* name :
         {"Resource/家长界面/叉04.bmp", "Resource/家长界面/智能设置01.bmp", "Resource/家长界面/按钮03.bmp",
          "Resource/家长界面/保护设置/密码设置01.bmp", "Resource/家长界面/保护设置/CheckButton03.bmp",
          "Resource/儿童界面/开始按钮02.bmp", "Resource/儿童界面/IE/关闭按钮01.bmp"})
        EXPECT_TRUE(seen.count(name)) << name;
    EXPECT_FALSE(seen.count("Resource/家长界面/叉00.bmp")) << "window buttons count from 01";
}

TEST(SkinCatalog, ProgramsAskOnlyForBitmapsThatAreBuilt) {
    std::set<std::string> built;
    for (const skin::SkinFile& file : skin::SkinFiles())
        built.insert(file.path);
    const char* root = std::getenv("WARROW_SOURCE_DIR");
    ASSERT_NE(root, nullptr);
    // Literal skin file names in the code; names put together at run time
    // (with %1 or +) are not seen here.
    const std::regex literal(R"re("(Resource[/\\][^"%]*\.bmp)")re");
    int found = 0;
    for (const char* folder :
         {"shell", "browser", "console", "report", "update", "service", "skin", "tools/glazegallery"}) {
        const fs::path base = fs::path(root) / folder;
        if (!fs::exists(base))
            continue;
        for (const auto& entry : fs::recursive_directory_iterator(base)) {
            const std::string extension = entry.path().extension().string();
            if (!entry.is_regular_file() || (extension != ".cpp" && extension != ".h" && extension != ".hpp"))
                continue;
            std::ifstream code(entry.path(), std::ios::binary);
            const std::string text((std::istreambuf_iterator<char>(code)), std::istreambuf_iterator<char>());
            for (std::sregex_iterator it(text.begin(), text.end(), literal), end; it != end; ++it) {
                const std::string name = (*it)[1];
                ++found;
                EXPECT_EQ(name.find('\\'), std::string::npos)
                    << "paths on disk use '/': " << name << " in " << entry.path().string();
                EXPECT_TRUE(built.count(name))
                    << "not built by skingen: " << name << " in " << entry.path().string();
            }
        }
    }
    if (fs::exists(fs::path(root) / "tools/glazegallery")) {
        EXPECT_GT(found, 10) << "the gallery alone names many skin files";
    }
}
