// One reader over the archives in argv[1], with its temporary folder under argv[2] and its
// settings in argv[3]. Prints "ready" once the first page is shown and closes its window when
// a line "close" arrives on stdin.
#include <unistd.h>

#include <QApplication>
#include <QSocketNotifier>
#include <cstdio>
#include <string>

#include "app/frmMain.h"
#include "platform/Dialogs.h"
#include "platform/ProcessFacts.h"
#include "platform/SettingsStore.h"
#include "tests/support/PrintingMessageBoxes.h"

namespace {

class InstanceFacts : public pagora::SystemProcessFacts {
  public:
    InstanceFacts(const QStringList& arguments, QString folder)
        : SystemProcessFacts(arguments), folder_(std::move(folder)) {}
    QString ExecutableFolder() const override { return folder_; }
    QString CommandLineText() const override { return {}; }

  private:
    QString folder_;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: reader_instance ARCHIVES TMP CONFIG\n");
        return 2;
    }
    QApplication app(argc, argv);
    InstanceFacts process(QApplication::arguments(), QString::fromLocal8Bit(argv[1]));
    pagora::IniSettingsStore settings(QString::fromLocal8Bit(argv[3]));
    pagora::testing::PrintingMessageBoxes messages;
    pagora::frmMain window(settings, process, messages);
    window.SetTempEnvironment(pagora::TempEnvironment{argv[2], std::nullopt});
    if (!window.Start()) {
        return 1;
    }
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, &window, [&] {
        char buffer[64];
        const ssize_t got = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (got <= 0 ||
            std::string(buffer, static_cast<size_t>(got)).find("close") != std::string::npos) {
            input.setEnabled(false);
            window.close();
        }
    });
    std::printf("ready\n");
    std::fflush(stdout);
    return QApplication::exec();
}
