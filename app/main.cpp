#include "app/frmMain.h"

int main(int argc, char** argv) {
    return pagora::RunReader(argc, argv);
}
