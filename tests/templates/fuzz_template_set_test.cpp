#include <gtest/gtest.h>

#include <QRandomGenerator>
#include <QtEndian>

#include "formset/embedded_template_set.h"
#include "templates/property_blocks.h"
#include "templates/template_set_reader.h"
#include "templates/template_set_writer.h"

namespace tillora {
namespace {

// What a successful read promises its users: a set that writes back and whose references hold.
void expectStructurallyValid(const TemplateSet& set) {
    QByteArray bytes;
    ASSERT_TRUE(writeTemplateSet(set, bytes));
    for (const WindowTemplate& w : set.windows) {
        ASSERT_FALSE(w.components.isEmpty());
        EXPECT_EQ(w.windowRecord().componentType(), ComponentType::Window);
        for (const ComponentRecord& c : w.components) {
            EXPECT_TRUE(c.container == 0 || w.component(c.container) != nullptr);
            for (const EventEntry& e : c.events) {
                EXPECT_TRUE(e.handlerIndex == -1 || e.handler == set.handlerNames[e.handlerIndex]);
            }
            // Property blocks are checked when a window is built; they must never crash here.
            (void)rewritePropertyBlock(c.componentType(), c.propertyData);
        }
    }
}

bool readsOrFails(const QByteArray& data, const QStringList& handlers) {
    TemplateSet set;
    QString error;
    if (readTemplateSet(data, handlers, set, &error)) {
        expectStructurallyValid(set);
        return true;
    }
    EXPECT_FALSE(error.isEmpty());
    return false;
}

TEST(TemplateSetCorruption, EveryTruncationIsReported) {
    // Copied into a buffer of its own size, so that ASan sees any read past the end.
    const QByteArray whole = embeddedTemplateSet().toByteArray();
    const QStringList handlers = embeddedHandlerNames();
    for (qsizetype n = 0; n < whole.size(); ++n) {
        const QByteArray cut = whole.first(n);
        TemplateSet set;
        ASSERT_FALSE(readTemplateSet(cut, handlers, set)) << "cut at " << n;
    }
}

TEST(TemplateSetCorruption, RandomByteFlipsNeverCrash) {
    const QByteArray whole = embeddedTemplateSet().toByteArray();
    const QStringList handlers = embeddedHandlerNames();
    QRandomGenerator random(20240601);
    int failed = 0;
    constexpr int kCases = 4000;
    for (int i = 0; i < kCases; ++i) {
        QByteArray data = whole;
        const int flips = 1 + static_cast<int>(random.bounded(4));
        for (int f = 0; f < flips; ++f) {
            const qsizetype at = random.bounded(data.size());
            data[at] = static_cast<char>(data[at] ^ (1 << random.bounded(8)));
        }
        failed += readsOrFails(data, handlers) ? 0 : 1;
    }
    // Most flips land in picture bytes and survive; the rest must be caught, not crash.
    EXPECT_GT(failed, 0);
}

// Hostile values (negative, huge, just past the end) written over random 32-bit fields: lengths,
// counts, offsets and ids among them.
TEST(TemplateSetCorruption, HostileLengthsAndCountsAreReported) {
    const QByteArray whole = embeddedTemplateSet().toByteArray();
    const QStringList handlers = embeddedHandlerNames();
    QRandomGenerator random(7);
    const qint32 hostile[] = {-1,         -4,
                              0x7FFFFFFF, static_cast<qint32>(0x80000000),
                              0x10000,    static_cast<qint32>(whole.size())};
    int failed = 0;
    for (int i = 0; i < 3000; ++i) {
        QByteArray data = whole;
        const qsizetype at = random.bounded(data.size() - 4);
        const qint32 value = hostile[random.bounded(int(std::size(hostile)))];
        qToLittleEndian<qint32>(value, data.data() + at);
        failed += readsOrFails(data, handlers) ? 0 : 1;
    }
    EXPECT_GT(failed, 0);
}

TEST(TemplateSetCorruption, DamagedPropertyBlocksAreRefusedNotOverread) {
    TemplateSet set;
    ASSERT_TRUE(readTemplateSet(embeddedTemplateSet(), embeddedHandlerNames(), set));
    QRandomGenerator random(99);
    for (const WindowTemplate& w : set.windows) {
        for (const ComponentRecord& c : w.components) {
            if (c.propertyData.size() < 8) {
                continue;
            }
            for (int i = 0; i < 200; ++i) {
                QByteArray block = c.propertyData;
                const qsizetype at = 4 + random.bounded(block.size() - 4);
                block[at] = static_cast<char>(random.bounded(256));
                // Either way is fine; what matters is no read past the block.
                (void)rewritePropertyBlock(c.componentType(), block);
                (void)rewritePropertyBlock(c.componentType(), block.first(at));
            }
        }
    }
}

}  // namespace
}  // namespace tillora
