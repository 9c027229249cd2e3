#include "pages/gui/aboutpage.h"
#include "tests/support/qtapp.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPixmap>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// Runs each case in a fresh working directory.
class AboutPageTest : public ::testing::Test {
protected:
    void SetUp() override {
        TestApp();
        previous = QDir::currentPath();
        ASSERT_TRUE(folder.isValid());
        QDir::setCurrent(folder.path());
    }
    void TearDown() override { QDir::setCurrent(previous); }

    void WriteLogo() {
        QPixmap logo(100, 100);
        logo.fill(Qt::blue);
        ASSERT_TRUE(logo.save(QString::fromUtf8(CAboutPage::kLogoFile), "PNG"));
    }

    QString previous;
    QTemporaryDir folder;
};

TEST_F(AboutPageTest, ShowsTitleVersionDateAndTheLogoFromTheWorkingDirectory) {
    WriteLogo();
    CAboutPage page;
    page.OnSetActive();
    EXPECT_EQ(page.TitleLabel()->text(), QString::fromUtf8("ORVENA Конфигуратор"));
    EXPECT_EQ(page.VersionValue()->text(), QStringLiteral("01.24"));
    EXPECT_EQ(page.DateValue()->text(), QStringLiteral("19.02.19"));
    EXPECT_EQ(page.Picture()->pixmap().size(), QSize(100, 100));
}

TEST_F(AboutPageTest, MissingOrBrokenLogoLeavesThePictureEmpty) {
    CAboutPage missing;
    missing.OnSetActive();
    EXPECT_TRUE(missing.Picture()->pixmap().isNull());
    EXPECT_EQ(missing.VersionValue()->text(), QStringLiteral("01.24"));

    QFile broken(QString::fromUtf8(CAboutPage::kLogoFile));
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write("not a picture");
    broken.close();
    CAboutPage garbled;
    garbled.OnSetActive();
    EXPECT_TRUE(garbled.Picture()->pixmap().isNull());
}

TEST_F(AboutPageTest, TheLogoIsLoadedOnlyOnce) {
    CAboutPage page;
    page.OnSetActive();  // no file yet: the attempt counts
    WriteLogo();
    page.OnSetActive();
    EXPECT_TRUE(page.Picture()->pixmap().isNull());

    CAboutPage loaded;
    loaded.OnSetActive();
    QFile::remove(QString::fromUtf8(CAboutPage::kLogoFile));
    loaded.OnSetActive();
    EXPECT_FALSE(loaded.Picture()->pixmap().isNull());
}

}  // namespace
