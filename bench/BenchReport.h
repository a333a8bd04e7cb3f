#pragma once
// The benchmarks' common output and measures. Each figure is one line:
//   BENCH <name> ours=<value> ref=<value> ratio=<ours/ref> target=<bound>

#include <chrono>
#include <string>

void PrintBench(const std::string& name, double ours, double reference, const std::string& target);

// Wall-clock seconds that `work` takes.
template <typename Work> double SecondsOf(Work&& work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The best of `runs` timings, so a passing hiccup of the machine does not decide a figure.
template <typename Work> double BestSecondsOf(int runs, Work&& work) {
    double best = SecondsOf(work);
    for (int run = 1; run < runs; ++run) {
        const double seconds = SecondsOf(work);
        if (seconds < best)
            best = seconds;
    }
    return best;
}

// Peak resident memory above the moment Start() was called, in MB (Linux: VmHWM is reset
// through /proc/self/clear_refs).
class TPeakMemory {
public:
    void Start();
    double PeakAboveStartMB() const;

private:
    double StartMB = 0;
};

// Before the QApplication: windows on the offscreen platform, whose word at every window shown
// or raised that it cannot is left out of the output.
void UseOffscreenPlatform();

// The temporary folder for this run's generated data, removed when the program ends.
std::string BenchScratchFolder();
