#pragma once
// A second program that writes to a table file (tests/catalog/TableWriter.cpp), so a test can
// hold the file from another process or kill a writer in the middle of its work. A target
// that uses it defines TABLE_WRITER as that program's path.

#include <QProcess>
#include <QStringList>

// Runs the writer with `arguments`; it is killed when this goes out of scope.
class TWriterProcess {
public:
    explicit TWriterProcess(const QStringList& arguments)
        : Started(Start(arguments)) {}
    ~TWriterProcess() { Kill(); }
    TWriterProcess(const TWriterProcess&) = delete;
    TWriterProcess& operator=(const TWriterProcess&) = delete;
    TWriterProcess(TWriterProcess&&) = delete;
    TWriterProcess& operator=(TWriterProcess&&) = delete;
    bool WaitUntilReady() {
        while (Started && !Process.canReadLine())
            if (!Process.waitForReadyRead(30000))
                return false;
        return Started && Process.readLine().trimmed() == "ready";
    }
    void Kill() {
        if (Process.state() != QProcess::NotRunning) {
            Process.kill();
            Process.waitForFinished(10000);
        }
    }

private:
    bool Start(const QStringList& arguments) {
        Process.start(QStringLiteral(TABLE_WRITER), arguments);
        return Process.waitForStarted(10000);
    }

    QProcess Process;
    bool Started = false;
};
