#include <gtest/gtest.h>

#include <QCoreApplication>

#include "platform/QtClipboard.h"
#include "platform/QtShell.h"

namespace pagora {
namespace {

// Without a GUI application object there is no clipboard or desktop handler; the services must
// say so quietly instead of aborting the program.
TEST(PlatformServicesWithoutGuiTest, DoNothingAndReportNothing) {
    int argc = 1;
    char name[] = "about_nogui_tests";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);

    QtClipboard clipboard;
    clipboard.Clear();
    clipboard.SetText(QStringLiteral("2:255"));
    EXPECT_TRUE(clipboard.Text().isEmpty());

    QtShell shell;
    EXPECT_FALSE(shell.OpenLink(QStringLiteral("https://www.tamrit.com")));
}

}  // namespace
}  // namespace pagora
