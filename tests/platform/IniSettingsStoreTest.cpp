#include <gtest/gtest.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QTemporaryDir>

#include "base/Error.h"
#include "platform/SettingsStore.h"
#include "tests/support/QStringPrinter.h"
#include "tests/support/TestFiles.h"

namespace pagora {
namespace {

class SettingsStoreTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(root_.isValid()); }
    QString Folder() const { return root_.path() + QStringLiteral("/config/pagora"); }
    QTemporaryDir root_;
};

TEST_F(SettingsStoreTest, ValuesRoundTripAsTextAndMissingOnesGiveTheDefault) {
    const QStringList values = {QString(),     "آية ٢٥٥",       "35",
                                "1234.5",      "  padded  ",    "a=b;c,d #e",
                                "@Variant(x)", "line\r\nbreak", "\"quoted\" \\ back"};
    {
        IniSettingsStore store(Folder());
        EXPECT_EQ(store.GetSetting("Pagora", "UserSelection", "K2", "dflt"), "dflt");
        EXPECT_FALSE(QFileInfo::exists(Folder()));  // reading creates nothing
        for (int i = 0; i < values.size(); ++i) {
            store.SaveSetting("Pagora", "UserSelection", QStringLiteral("K%1").arg(i), values[i]);
        }
        store.SaveSetting("Pagora", "Bookmark", "BookmarkPage", "012");
    }
    IniSettingsStore store(Folder());
    for (int i = 0; i < values.size(); ++i) {
        EXPECT_EQ(store.GetSetting("Pagora", "UserSelection", QStringLiteral("K%1").arg(i), "dflt"),
                  values[i])
            << i;  // a stored empty text is a value, not an absence
    }
    EXPECT_EQ(store.GetSetting("Pagora", "Bookmark", "BookmarkPage", ""), "012");
    EXPECT_EQ(store.GetSetting("Pagora", "UserSelection", "Pageno", "440"), "440");
    EXPECT_EQ(store.GetSetting("Pagora", "WindowState", "K2", "x"), "x");
    EXPECT_EQ(store.GetSetting("Other", "UserSelection", "K2", "y"), "y");
    // Written at once, in sections named as given.
    const QByteArray text =
        QByteArray::fromStdString(testing::ReadText(store.FileFor("Pagora").toStdString()));
    EXPECT_TRUE(text.contains("[UserSelection]\n"));
    EXPECT_TRUE(text.contains("K2=35\n"));
    EXPECT_TRUE(text.contains("[Bookmark]\nBookmarkPage=012\n"));
}

TEST_F(SettingsStoreTest, UnsafeApplicationNamesStayInsideTheFolderAndApart) {
    const QString longTail(600, u'x');
    // Names that differ only in letter case have stores of their own too.
    QStringList names = {QString(), "Pagora-" + longTail, "Pagora-" + longTail + u'y',
                         "Pagora-" + QString(300, QChar(0x00E9)),
                         "Pagora-" + QString(300, QChar(0x0661))};
    for (const char* name :
         {"Pagora", "Pagora-a", "Pagora-A", "Pagora-../../escaped", "Pagora-/etc/passwd",
          "Pagora-a/b", "Pagora-a%2Fb", "Pagora-a%252Fb", "..", ".", ".hidden", "%2Ehidden",
          "Pagora-\x01\x7f\t\r\n", "Pagora-*?<>|\":\\~"}) {
        names << name;
    }
    IniSettingsStore store(Folder());
    QSet<QString> files;
    const QString folder = QDir(Folder()).absolutePath();
    for (const QString& name : names) {
        const QString file = store.FileFor(name);
        EXPECT_EQ(QFileInfo(file).absolutePath(), folder) << name.toStdString();
        EXPECT_LE(QFileInfo(file).fileName().toUtf8().size(), 200) << name.toStdString();
        files.insert(file);
        ASSERT_NO_THROW(store.SaveSetting(name, "UserSelection", "Name", name));
    }
    EXPECT_EQ(files.size(), names.size());
    // Names of letters, digits and "-_. " keep their own file name.
    EXPECT_EQ(QFileInfo(store.FileFor("Pagora-my_profile.v2 b")).fileName(),
              "Pagora-my_profile.v2 b.ini");
    for (const QString& name : names) {
        EXPECT_EQ(store.GetSetting(name, "UserSelection", "Name", "?"), name) << name.toStdString();
    }
    // Nothing was written anywhere but in the folder, and every file there is a store or its lock.
    QDirIterator all(root_.path(), QDir::Files | QDir::Hidden | QDir::System,
                     QDirIterator::Subdirectories);
    int stores = 0;
    while (all.hasNext()) {
        const QFileInfo info(all.next());
        EXPECT_EQ(info.absolutePath(), folder) << info.filePath().toStdString();
        stores += info.fileName().endsWith(QStringLiteral(".ini"));
    }
    EXPECT_EQ(stores, names.size());
    EXPECT_EQ(QDir(root_.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
              QStringList{QStringLiteral("config")});
}

TEST_F(SettingsStoreTest, HandEditedFileWithJunkStillGivesItsKeysAsTheyAreNow) {
    IniSettingsStore store(Folder());
    store.SaveSetting("Pagora", "UserSelection", "Pageno", "1");
    EXPECT_EQ(store.GetSetting("Pagora", "UserSelection", "Pageno", ""), "1");
    // Another process rewrites the file.
    testing::WriteText(
        store.FileFor("Pagora").toStdString(),
        "junk before any section\n[UserSelection]\nFontSize=40\n=== nothing\n"
        "Pageno=12,3\n\xff\xfe binary\n[Broken\nPageMode=2\n[Bookmark]\nBookmarkPage=045\n");
    EXPECT_EQ(store.GetSetting("Pagora", "UserSelection", "FontSize", "35"), "40");
    EXPECT_EQ(store.GetSetting("Pagora", "UserSelection", "Pageno", "440"), "12,3");
    EXPECT_EQ(store.GetSetting("Pagora", "Bookmark", "BookmarkPage", ""), "045");
    // Saving into such a file works and keeps what could be read.
    store.SaveSetting("Pagora", "Bookmark", "BookmarkAya", "7");
    IniSettingsStore again(Folder());
    EXPECT_EQ(again.GetSetting("Pagora", "Bookmark", "BookmarkAya", ""), "7");
    EXPECT_EQ(again.GetSetting("Pagora", "UserSelection", "FontSize", "35"), "40");
    EXPECT_EQ(again.GetSetting("Pagora", "Bookmark", "BookmarkPage", ""), "045");
}

TEST_F(SettingsStoreTest, FailedWriteIsReported) {
    // The folder cannot be created: a file stands where one of its parents should be.
    testing::WriteText((root_.path() + QStringLiteral("/config")).toStdString(), "not a folder");
    IniSettingsStore blocked(Folder());
    EXPECT_THROW(blocked.SaveSetting("Pagora", "UserSelection", "FontSize", "35"), Error);
    EXPECT_EQ(blocked.GetSetting("Pagora", "UserSelection", "FontSize", "35"), "35");

    // The store's file cannot be written: a folder stands in its place.
    IniSettingsStore store(root_.path() + QStringLiteral("/other"));
    ASSERT_TRUE(QDir().mkpath(store.FileFor("Pagora")));
    const Error e = testing::CaughtError(
        [&] { store.SaveSetting("Pagora", "UserSelection", "FontSize", "35"); });
    EXPECT_NE(e.Description().find("Pagora.ini"), std::string::npos) << e.Description();
}

TEST_F(SettingsStoreTest, DefaultFolderFollowsXdgConfigHome) {
    const QByteArray saved = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(root_.path() + QStringLiteral("/xdg")));
    IniSettingsStore store;
    const QString file = store.FileFor("Pagora-x");
    store.SaveSetting("Pagora-x", "UserSelection", "FontSize", "36");
    saved.isNull() ? qunsetenv("XDG_CONFIG_HOME") : qputenv("XDG_CONFIG_HOME", saved);
    EXPECT_EQ(file, root_.path() + QStringLiteral("/xdg/pagora/Pagora-x.ini"));
    EXPECT_TRUE(QFileInfo::exists(file));
}

}  // namespace
}  // namespace pagora
