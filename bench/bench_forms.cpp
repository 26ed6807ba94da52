// Reading the whole embedded template set and building its largest window (the start-up path of a
// window: set read once, then the window built, its created events raised and shown).
#include "forms/form_manager.h"
#include "forms/form_window.h"
#include "formset/embedded_template_set.h"
#include "templates/template_set_reader.h"

#include <benchmark/benchmark.h>

#include <QApplication>

namespace {

using namespace tillora;

TemplateSet readSet() {
    TemplateSet set;
    readTemplateSet(embeddedTemplateSet(), embeddedHandlerNames(), set);
    return set;
}

HandlerRegistry noOpHandlers() {
    HandlerRegistry handlers;
    for (const QString& name : embeddedHandlerNames()) {
        handlers.add(name, [](const EventArgs&) { return Value(); });
    }
    return handlers;
}

qint32 largestWindow(const TemplateSet& set) {
    qint32 id = 0;
    qsizetype most = -1;
    for (const WindowTemplate& w : set.windows) {
        if (w.components.size() > most) {
            most = w.components.size();
            id = w.id;
        }
    }
    return id;
}

void BM_ReadTemplateSet(benchmark::State& state) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(readSet());
    }
}
BENCHMARK(BM_ReadTemplateSet)->Unit(benchmark::kMicrosecond);

void BM_ReadSetAndBuildLargestWindow(benchmark::State& state) {
    const HandlerRegistry handlers = noOpHandlers();
    for (auto _ : state) {
        const TemplateSet set = readSet();
        FormManager manager(set, handlers);
        const qint32 id = largestWindow(set);
        if (!manager.open(id)) {
            state.SkipWithError("the largest window did not build");
            break;
        }
        QApplication::processEvents();
        manager.closeAll();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}
BENCHMARK(BM_ReadSetAndBuildLargestWindow)->Unit(benchmark::kMillisecond);

}  // namespace
