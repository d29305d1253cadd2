// The skin bitmaps in the build's Resource/ folder: every file the catalog
// names is there, at its size, drawn the way skingen draws it now, and every
// bitmap the programs' code asks for is one of them.

#include "tools/skingen/SkinCatalog.h"
#include "tools/skingen/SkinPaint.h"

#include <QDirIterator>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QRegularExpression>
#include <gtest/gtest.h>
#include <set>

namespace {

class GuiEnvironment : public ::testing::Environment
{
public:
    void SetUp() override
    {
        static int argc = 1;
        static char name[] = "skin-files-test";
        static char* argv[] = {name, nullptr};
        m_app = new QGuiApplication(argc, argv);
    }
    void TearDown() override { delete m_app; }

private:
    QGuiApplication* m_app = nullptr;
};

[[maybe_unused]] ::testing::Environment* const kGui = ::testing::AddGlobalTestEnvironment(new GuiEnvironment);

QString Root(const char* variable)
{
    return QString::fromLocal8Bit(qgetenv(variable));
}

int KeyPixels(const QImage& image)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += image.pixel(x, y) == qRgb(255, 0, 255) ? 1 : 0;
    return count;
}

} // namespace

TEST(SkinCatalog, NamesEachFileOnceInBothSkinFolders)
{
    std::set<std::string> seen;
    for (const skin::SkinFile& file : skin::SkinFiles()) {
        EXPECT_TRUE(seen.insert(file.path).second) << file.path;
        EXPECT_TRUE(file.path.starts_with("Resource/儿童界面/") || file.path.starts_with("Resource/家长界面/")) << file.path;
        EXPECT_TRUE(file.path.ends_with(".bmp")) << file.path;
        EXPECT_GT(file.width, 0);
        EXPECT_GT(file.height, 0);
    }
    // Spot checks of names with easily mistyped state suffixes.
    for (const char* name : {"Resource/家长界面/叉04.bmp", "Resource/家长界面/智能设置01.bmp", "Resource/家长界面/按钮03.bmp",
                             "Resource/家长界面/保护设置/密码设置01.bmp", "Resource/家长界面/保护设置/CheckButton03.bmp",
                             "Resource/儿童界面/开始按钮02.bmp", "Resource/儿童界面/IE/关闭按钮01.bmp"})
        EXPECT_TRUE(seen.count(name)) << name;
}

TEST(SkinFiles, EveryCatalogFileIsBuiltAtItsSizeAsSkingenDrawsIt)
{
    const QString root = Root("WARROW_BINARY_DIR");
    ASSERT_FALSE(root.isEmpty());
    for (const skin::SkinFile& file : skin::SkinFiles()) {
        const QString path = root + QLatin1Char('/') + QString::fromStdString(file.path);
        const QImage built(path, "BMP");
        ASSERT_FALSE(built.isNull()) << "missing or unreadable: " << file.path;
        EXPECT_EQ(built.size(), QSize(file.width, file.height)) << file.path;
        EXPECT_FALSE(built.hasAlphaChannel()) << file.path;
        const QImage drawn = skin::RenderSkinFile(file);
        EXPECT_EQ(built.convertToFormat(QImage::Format_RGB32), drawn) << "stale or not deterministic: " << file.path;
        // Magenta marks what the colour key cuts away: only keyed files have it.
        if (file.keyed)
            EXPECT_GT(KeyPixels(drawn), 0) << file.path;
        else
            EXPECT_EQ(KeyPixels(drawn), 0) << file.path;
    }
}

TEST(SkinFiles, ProgramsAskOnlyForBitmapsThatAreBuilt)
{
    std::set<QString> built;
    for (const skin::SkinFile& file : skin::SkinFiles())
        built.insert(QString::fromStdString(file.path));
    const QString source = Root("WARROW_SOURCE_DIR");
    ASSERT_FALSE(source.isEmpty());
    // Literal names of skin files in the code; names put together at run time
    // (with %1 or +) are not seen here.
    const QRegularExpression literal(QStringLiteral("\"(Resource[/\\\\][^\"%]*\\.bmp)\""));
    int found = 0;
    for (const char* folder : {"shell", "browser", "console", "report", "update", "service", "skin", "tools/glazegallery"}) {
        QDirIterator it(source + QLatin1Char('/') + QString::fromUtf8(folder),
                        {QStringLiteral("*.cpp"), QStringLiteral("*.h"), QStringLiteral("*.hpp")}, QDir::Files,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            QFile code(it.next());
            ASSERT_TRUE(code.open(QIODevice::ReadOnly));
            const QString text = QString::fromUtf8(code.readAll());
            for (auto match = literal.globalMatch(text); match.hasNext();) {
                const QString name = match.next().captured(1);
                ++found;
                EXPECT_FALSE(name.contains(QLatin1Char('\\'))) << "paths on disk use '/': " << name.toStdString() << " in "
                                                               << code.fileName().toStdString();
                EXPECT_TRUE(built.count(name)) << "not built by skingen: " << name.toStdString() << " in "
                                               << code.fileName().toStdString();
            }
        }
    }
    EXPECT_GT(found, 10) << "the gallery alone names many skin files";
}
