// A stand-in reader process for the instance-tracking tests. Prints its facts, starts instance
// tracking in $PROBE_LOCK_FOLDER, then answers commands read from stdin:
//   last  -> "last=0|1"    quit -> exits
#include <QApplication>
#include <cstdio>
#include <iostream>
#include <string>

#include "platform/ProcessFacts.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    pagora::SystemProcessFacts facts(QCoreApplication::arguments());
    std::printf("folder=%s\nname=%s\ncmdline=%s\n", qPrintable(facts.ExecutableFolder()),
                qPrintable(facts.ExecutableName()), qPrintable(facts.CommandLineText()));
    std::fflush(stdout);
    facts.StartInstanceTracking(qEnvironmentVariable("PROBE_LOCK_FOLDER"));
    std::printf("other=%d\n", facts.OtherInstanceWasRunning() ? 1 : 0);
    std::fflush(stdout);
    std::string command;
    while (std::getline(std::cin, command)) {
        if (command == "last") {
            std::printf("last=%d\n", facts.IsLastRunningInstance() ? 1 : 0);
            std::fflush(stdout);
        } else if (command == "quit") {
            break;
        }
    }
    return 0;
}
