#include "widgets/GuiTestMain.h"

int main(int argc, char** argv) {
    return widgets::test::RunGuiTests(argc, argv);
}
