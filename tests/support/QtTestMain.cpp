#include <gtest/gtest.h>

#include <QApplication>

// Under the sanitizers: LeakSanitizer (clang 14) crashes on this glibc while it reads the
// dynamic thread-local storage of the image plugins that the page frame loads. Scan without
// thread-local storage, and accept what glib keeps only there for its threads.
extern "C" const char* __lsan_default_options() {
    return "use_tls=0";
}
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libglib-2.0.so\n";
}

// The application object lives for the whole run and is destroyed before the process ends.
int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
