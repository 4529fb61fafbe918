#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QInputDialog>
#include <QLineEdit>
#include <QMimeData>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <vector>

#include "platform/QtClipboard.h"
#include "platform/QtInputPrompt.h"
#include "platform/QtShell.h"
#include "reader/ProductInfo.h"

namespace pagora {
namespace {

TEST(QtClipboardTest, SetTextReplacesTheClipboardWithPlainTextAndClearEmptiesIt) {
    QClipboard* system = QGuiApplication::clipboard();
    auto* rich = new QMimeData;
    rich->setHtml(QStringLiteral("<b>earlier</b>"));
    rich->setText(QStringLiteral("earlier"));
    system->setMimeData(rich, QClipboard::Clipboard);

    QtClipboard clipboard;
    const QString text = QStringLiteral("بِسْمِ ٱللَّهِ\r\n2:255");
    clipboard.SetText(text);
    EXPECT_FALSE(system->mimeData(QClipboard::Clipboard)->hasHtml());
    EXPECT_EQ(clipboard.Text(), text);
    EXPECT_EQ(system->text(), text);
    clipboard.Clear();
    EXPECT_TRUE(clipboard.Text().isEmpty());
    EXPECT_TRUE(system->text().isEmpty());
}

// Stands in for the desktop's browser: QDesktopServices hands matching URLs to it.
class UrlCatcher : public QObject {
    Q_OBJECT
  public:
    std::vector<QUrl> opened;
  public slots:
    void Open(const QUrl& url) { opened.push_back(url); }
};

TEST(QtShellTest, OpensLinksAsTypedByAUserWithTheDefaultHandler) {
    UrlCatcher catcher;
    const QStringList schemes = {"http", "https"};
    for (const QString& scheme : schemes) {
        QDesktopServices::setUrlHandler(scheme, &catcher, "Open");
    }
    QtShell shell;
    EXPECT_TRUE(shell.OpenLink(WebPageLink()));
    EXPECT_TRUE(shell.OpenLink(QStringLiteral("www.tamrit.com")));
    EXPECT_FALSE(shell.OpenLink(QString()));
    EXPECT_FALSE(shell.OpenLink(QStringLiteral(" \t\r\n")));
    for (const QString& scheme : schemes) {
        QDesktopServices::unsetUrlHandler(scheme);
    }
    ASSERT_EQ(catcher.opened.size(), 2u);
    EXPECT_EQ(catcher.opened[0].toString(), WebPageLink());
    EXPECT_EQ(catcher.opened[1], QUrl(QStringLiteral("http://www.tamrit.com")));
}

// Types `keys` into the prompt once it is open and modal.
void AnswerPrompt(const QString& keys, Qt::Key last, QString* shown) {
    QTimer::singleShot(20, [=] {
        auto* dialog = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr) {
            AnswerPrompt(keys, last, shown);
            return;
        }
        *shown = dialog->windowTitle() + "|" + dialog->labelText() + "|" + dialog->textValue();
        auto* edit = dialog->findChild<QLineEdit*>();
        edit->selectAll();
        QTest::keyClicks(edit, keys);
        QTest::keyClick(edit, last);
    });
}

TEST(QtInputPromptTest, ModalPromptGivesTheTypedTextOrNothingWhenCancelled) {
    QtInputPrompt prompt;
    QString shown;
    AnswerPrompt("45", Qt::Key_Return, &shown);
    EXPECT_EQ(prompt.InputBox("Enter page number (1 to 604)", "Enter Page Number", "101"), "45");
    EXPECT_EQ(shown, "Enter Page Number|Enter page number (1 to 604)|101");
    AnswerPrompt("200", Qt::Key_Escape, &shown);
    EXPECT_EQ(prompt.InputBox("Enter text size (10 to 200)", "Enter text size", "35"), "");
}

}  // namespace
}  // namespace pagora

#include "QtServicesTest.moc"
