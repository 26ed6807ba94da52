// libFuzzer target for the template set reader: whatever the bytes, reading either fails with a
// reason or gives a set that writes back and whose property blocks can be read, without ever
// reading outside the data. The seed is the program's own embedded set.
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QStringList>

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "formset/embedded_template_set.h"
#include "templates/property_blocks.h"
#include "templates/template_set_reader.h"
#include "templates/template_set_writer.h"

using namespace tillora;

// An empty corpus folder given on the command line gets the embedded set as its first input.
extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    for (int i = 1; i < *argc; ++i) {
        const char* arg = (*argv)[i];
        if (arg[0] == '-') {
            continue;
        }
        QDir corpus(QString::fromLocal8Bit(arg));
        if (corpus.exists() && corpus.isEmpty()) {
            QFile seed(corpus.filePath(QStringLiteral("embedded.set")));
            if (seed.open(QIODevice::WriteOnly)) {
                seed.write(embeddedTemplateSet().toByteArray());
            }
        }
        break;
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const QStringList handlers = embeddedHandlerNames();
    TemplateSet set;
    QString error;
    if (!readTemplateSet(QByteArrayView(data, static_cast<qsizetype>(size)), handlers, set,
                         &error)) {
        if (error.isEmpty()) {
            std::abort();  // a refusal always says why
        }
        return 0;
    }
    QByteArray written;
    if (!writeTemplateSet(set, written)) {
        std::abort();  // what was read must write back
    }
    for (const WindowTemplate& window : set.windows) {
        for (const ComponentRecord& component : window.components) {
            (void)rewritePropertyBlock(component.componentType(), component.propertyData);
        }
    }
    return 0;
}
