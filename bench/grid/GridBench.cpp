// The main window on a 1,000,000-row catalog beside the same window on a 1,000-row one: the
// grid reads only the rows it shows, so each figure should cost about the same.

#include "BenchReport.h"
#include "app/FormZandrel.h"
#include "catalog/TableFileMaker.h"
#include "widgets/MessageService.h"
#include "widgets/records/RecordGrid.h"

#include <QApplication>
#include <QDir>
#include <QProcess>
#include <QScrollBar>
#include <QTest>
#include <cstdio>
#include <sqlite3.h>

namespace {

constexpr int BigRows = 1000000;
constexpr int SmallRows = 1000;
// Small and big catalog take turns, a few runs each, so a slow spell of the machine falls on
// both sides rather than deciding one figure.
constexpr int Rounds = 7;
constexpr int Runs = 3;
constexpr int PageDowns = 100;

// Any box would stop the run: print it instead.
class TPrintedMessages : public TMessageService {
protected:
    bool Show(const TBoxRequest& request) override {
        std::fprintf(stderr, "box: %s\n", qPrintable(request.Text));
        return true;
    }
};

void Fill(const QString& path, int rows) {
    MakeTableFile(path);
    sqlite3* db = nullptr;
    sqlite3_open(path.toUtf8().constData(), &db);
    sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO records VALUES (?,?,?,?)", -1, &insert, nullptr);
    for (int row = 0; row < rows; ++row) {
        const std::string values[] = {"CD" + std::to_string(row / 2000),
                                      "D:\\SETUP\\DISK" + std::to_string(row % 40) + "\\",
                                      "file" + std::to_string(row) + ".txt", ""};
        for (int field = 0; field < 4; ++field)
            sqlite3_bind_text(insert, field + 1, values[field].c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_step(insert);
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(db);
}

// The program's start-up as a user meets it: from starting the process to the main window's
// first painted grid. The child is this program run with --first-paint.
double ProgramStartUp(const QString& path) {
    double best = 1e9;
    for (int run = 0; run < Runs; ++run) {
        QProcess child;
        const double seconds = SecondsOf([&] {
            child.start(QCoreApplication::applicationFilePath(),
                        {QStringLiteral("--first-paint"), path});
            child.waitForReadyRead(60000);
        });
        child.waitForFinished();
        best = std::min(best, seconds);
    }
    return best;
}

// The child's side: start as the program does, say so at the first paint of the grid.
class TFirstPaint : public QObject {
protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            std::printf("painted\n");
            std::fflush(stdout);
            QCoreApplication::exit(0);
        }
        return QObject::eventFilter(watched, event);
    }
};

int FirstPaint(int argc, char* argv[]) {
    QApplication application(argc, argv);
    TPrintedMessages messages;
    TFormZandrel form(messages, QString::fromLocal8Bit(argv[2]));
    TFirstPaint watcher;
    form.findChild<TRecordGrid*>(QStringLiteral("DBGridData"))
        ->viewport()
        ->installEventFilter(&watcher);
    form.show();
    return QApplication::exec();
}

struct TFigures {
    double ProgramStartUp = 1e9;
    double StartUp = 1e9;
    double CtrlEnd = 1e9;
    double PageDowns = 1e9;
    double ThumbToMiddle = 1e9;
    double CommentAndPost = 1e9;
    double PeakMB = 0;

    // Keeps the best time of each figure and the highest peak of memory.
    void Keep(const TFigures& round) {
        ProgramStartUp = std::min(ProgramStartUp, round.ProgramStartUp);
        StartUp = std::min(StartUp, round.StartUp);
        CtrlEnd = std::min(CtrlEnd, round.CtrlEnd);
        PageDowns = std::min(PageDowns, round.PageDowns);
        ThumbToMiddle = std::min(ThumbToMiddle, round.ThumbToMiddle);
        CommentAndPost = std::min(CommentAndPost, round.CommentAndPost);
        PeakMB = std::max(PeakMB, round.PeakMB);
    }
};

// Runs `work` after `prepare` (untimed) `Runs` times and keeps the best time.
template <typename Prepare, typename Work> double Best(Prepare&& prepare, Work&& work) {
    double best = 1e9;
    for (int run = 0; run < Runs; ++run) {
        prepare();
        best = std::min(best, SecondsOf(work));
    }
    return best;
}

TFigures Measure(const QString& path) {
    TFigures figures;
    figures.ProgramStartUp = ProgramStartUp(path);
    TPrintedMessages messages;
    TPeakMemory memory;
    memory.Start();
    std::unique_ptr<TFormZandrel> form;
    TRecordGrid* grid = nullptr;
    // The window alone: create it, show it and paint the grid.
    figures.StartUp = Best([&] { form.reset(); },
                           [&] {
                               form = std::make_unique<TFormZandrel>(messages, path);
                               grid = form->findChild<TRecordGrid*>(QStringLiteral("DBGridData"));
                               form->show();
                               QApplication::processEvents();
                               grid->viewport()->repaint();
                           });
    grid->setFocus();
    TTableCursor& cursor = form->TableData;
    auto key = [&](Qt::Key which, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(QApplication::focusWidget(), which, modifiers);
        grid->viewport()->repaint();
    };
    figures.CtrlEnd = Best([&] { cursor.First(); }, [&] { key(Qt::Key_End, Qt::ControlModifier); });
    figures.PageDowns = Best([&] { cursor.First(); },
                             [&] {
                                 for (int page = 0; page < PageDowns; ++page)
                                     key(Qt::Key_PageDown);
                             });
    QScrollBar* bar = grid->verticalScrollBar();
    figures.ThumbToMiddle = Best([&] { cursor.First(); },
                                 [&] {
                                     bar->setSliderDown(true);
                                     bar->setSliderPosition(bar->maximum() / 2);
                                     bar->setSliderDown(false);
                                     grid->viewport()->repaint();
                                 });
    int comment = 0;
    figures.CommentAndPost = Best(
        [&] {
            cursor.SetRecNo(cursor.RecordCount() / 3);
            key(Qt::Key_End);
        },
        [&] {
            QTest::keyClicks(grid, QStringLiteral("comment %1").arg(++comment));
            key(Qt::Key_Down);
        });
    if (cursor.State() != TCursorState::Browse || cursor.RecNo() != cursor.RecordCount() / 3 + 1)
        std::fprintf(stderr, "the comment was not posted\n");
    figures.PeakMB = memory.PeakAboveStartMB();
    return figures;
}

// The offscreen platform warns at every window it shows that it cannot pass size hints on;
// that says nothing about the program, and would bury the figures.
void PrintOtherMessages(QtMsgType, const QMessageLogContext&, const QString& message) {
    if (!message.contains(QLatin1String("propagateSizeHints")))
        std::fprintf(stderr, "%s\n", qPrintable(message));
}

} // namespace

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(PrintOtherMessages);
    if (argc == 3 && qstrcmp(argv[1], "--first-paint") == 0)
        return FirstPaint(argc, argv);
    QApplication application(argc, argv);
    const QDir folder(QString::fromStdString(BenchScratchFolder()));
    const QString big = folder.filePath(QStringLiteral("big.db"));
    const QString small = folder.filePath(QStringLiteral("small.db"));
    Fill(big, BigRows);
    Fill(small, SmallRows);

    Measure(small); // warms the fonts, styles and caches that any first window pays for
    TFigures reference;
    TFigures ours;
    for (int round = 0; round < Rounds; ++round) {
        reference.Keep(Measure(small));
        ours.Keep(Measure(big));
    }
    const std::string ratio = "ratio<=1.5";
    PrintBench("grid_startup_to_first_paint_s", ours.ProgramStartUp, reference.ProgramStartUp,
               ratio);
    // Within that: the window alone, whose difference is the cursor opening the table.
    PrintBench("grid_window_create_to_first_paint_s", ours.StartUp, reference.StartUp,
               "information");
    PrintBench("grid_ctrl_end_s", ours.CtrlEnd, reference.CtrlEnd, ratio);
    PrintBench("grid_100_page_down_s", ours.PageDowns, reference.PageDowns, ratio);
    PrintBench("grid_thumb_to_middle_s", ours.ThumbToMiddle, reference.ThumbToMiddle, ratio);
    PrintBench("grid_type_comment_and_post_s", ours.CommentAndPost, reference.CommentAndPost,
               ratio);
    PrintBench("grid_peak_memory_mb", ours.PeakMB, reference.PeakMB, "ours-ref<=30MB");
    return 0;
}
