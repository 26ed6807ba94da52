#include <gtest/gtest.h>

#include <QApplication>

#include "forms/services/runtime_error_box.h"

// Every test executable runs inside one QApplication; the platform comes from
// QT_QPA_PLATFORM (offscreen under ctest), so no display is needed.
int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    // Fatal runtime errors show their box through the (scriptable) message service, as in the
    // program.
    tillora::installRuntimeErrorBox();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
