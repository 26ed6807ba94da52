#include <gtest/gtest.h>

#include <QPageSize>
#include <QPagedPaintDevice>
#include <QTemporaryDir>

#include "print/print_support.h"

namespace tillora {
namespace {

TEST(PrintSupportModule, FoundAtTheFirstPlaceThatHoldsIt) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    EXPECT_EQ(PrintSupport::loadFrom({dir.filePath(PrintSupport::moduleName())}), nullptr);
    // A library without the module's entry point is no print support.
    EXPECT_EQ(PrintSupport::loadFrom({QStringLiteral("libz.so.1")}), nullptr);

    PrintSupport* support = PrintSupport::loadFrom(
        {dir.filePath(PrintSupport::moduleName()), QStringLiteral(TILLORA_PRINT_SUPPORT_MODULE)});
    ASSERT_NE(support, nullptr);
    EXPECT_EQ(support, PrintSupport::get());  // one module, loaded once
}

// The settings a job is given come back as given: the program reads them after the dialog.
TEST(PrintSupportModule, DeviceKeepsTheJobsSettings) {
    PrintSupport* support = PrintSupport::get();
    ASSERT_NE(support, nullptr);
    const std::unique_ptr<PrintDevice> device = support->newDevice();
    EXPECT_TRUE(device->outputFile().isEmpty());

    device->setOutputFile(QStringLiteral("/tmp/out.pdf"));
    EXPECT_TRUE(device->toFile());
    EXPECT_EQ(device->outputFile(), QStringLiteral("/tmp/out.pdf"));

    device->setCopies(3, true);
    EXPECT_EQ(device->copies(), 3);
    EXPECT_TRUE(device->collate());

    device->setRange(PrintRange::PageRange, 2, 5);
    EXPECT_EQ(device->range(), PrintRange::PageRange);
    EXPECT_EQ(device->fromPage(), 2);
    EXPECT_EQ(device->toPage(), 5);
    device->setRange(PrintRange::Selection);
    EXPECT_EQ(device->range(), PrintRange::Selection);
    device->setRange(PrintRange::All);
    EXPECT_EQ(device->range(), PrintRange::All);

    // The sheet is the printer: a page size set on it is the job's.
    device->sheet().setPageSize(QPageSize(QPageSize::A5));
    EXPECT_EQ(device->sheet().pageLayout().pageSize().id(), QPageSize::A5);
}

}  // namespace
}  // namespace tillora
