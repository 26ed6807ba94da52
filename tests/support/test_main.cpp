#include <gtest/gtest.h>

#include <QApplication>

#ifdef TILLORA_TEST_RUNTIME_ERROR_BOX
#include "forms/services/runtime_error_box.h"
#endif
#ifdef TILLORA_PRINT_SUPPORT_MODULE
#include "print/print_support.h"
#endif

// Every test executable runs inside one QApplication; the platform comes from
// QT_QPA_PLATFORM (offscreen under ctest), so no display is needed.
int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
#ifdef TILLORA_TEST_RUNTIME_ERROR_BOX
    // Fatal runtime errors show their box through the (scriptable) message service, as in the
    // program.
    tillora::installRuntimeErrorBox();
#endif
#ifdef TILLORA_PRINT_SUPPORT_MODULE
    // The test programs sit in folders of their own, away from the build's print module.
    tillora::PrintSupport::setBuildModule(QStringLiteral(TILLORA_PRINT_SUPPORT_MODULE));
#endif
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
