#pragma once

// A console reporter that keeps each result's time per iteration, so that a benchmark program
// can print the ratios of one run.

#include <benchmark/benchmark.h>

#ifdef _WIN32
#include <io.h>
#define TILLORA_ISATTY _isatty
#else
#include <unistd.h>
#define TILLORA_ISATTY isatty
#endif

#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace tillora::bench {

class RatioReporter : public benchmark::ConsoleReporter {
  public:
    // Colours only on a terminal: a saved run stays readable.
    RatioReporter() : ConsoleReporter(TILLORA_ISATTY(fileno(stdout)) ? OO_Defaults : OO_Tabular) {}

    // Seconds per iteration, by function name and by full name (with its arguments).
    std::map<std::string, double> seconds;
    std::map<std::string, double> cpuSeconds;

    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (!run.error_occurred && run.iterations > 0) {
                const double wall = run.real_accumulated_time / double(run.iterations);
                const auto child = run.counters.find("child_cpu_ms");
                const double cpu = child != run.counters.end()
                                       ? double(child->second) / 1000.0
                                       : run.cpu_accumulated_time / double(run.iterations);
                for (const std::string& name :
                     {run.run_name.function_name,
                      run.run_name.function_name + "/" + run.run_name.args}) {
                    seconds[name] = wall;
                    cpuSeconds[name] = cpu;
                }
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }
};

}  // namespace tillora::bench
