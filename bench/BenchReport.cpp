#include "BenchReport.h"

#include <QString>
#include <QTemporaryDir>
#include <QtGlobal>
#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>

void PrintBench(const std::string& name, double ours, double reference, const std::string& target) {
    const double ratio = reference > 0 ? ours / reference : 0;
    std::printf("BENCH %s ours=%.6f ref=%.6f ratio=%.2f target=%s\n", name.c_str(), ours, reference,
                ratio, target.c_str());
    std::fflush(stdout);
}

static double StatusFieldMB(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    const std::string prefix = std::string(field) + ":";
    while (std::getline(status, line)) {
        if (line.rfind(prefix, 0) == 0) {
            std::istringstream values(line.substr(prefix.size()));
            double kilobytes = 0;
            values >> kilobytes;
            return kilobytes / 1024.0;
        }
    }
    return 0;
}

void TPeakMemory::Start() {
    std::ofstream("/proc/self/clear_refs") << "5";
    StartMB = StatusFieldMB("VmRSS");
}

double TPeakMemory::PeakAboveStartMB() const {
    return StatusFieldMB("VmHWM") - StartMB;
}

std::string BenchScratchFolder() {
    static std::unique_ptr<QTemporaryDir> folder;
    if (!folder)
        folder = std::make_unique<QTemporaryDir>();
    return folder->path().toStdString();
}

void UseOffscreenPlatform() {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString& message) {
        if (!message.startsWith(QLatin1String("This plugin does not support")))
            std::fprintf(stderr, "%s\n", qPrintable(message));
    });
}
