#include "windows/CsvTransfer.h"

#include "catalog/CsvImport.h"
#include "catalog/TableCursor.h"
#include "text/UserError.h"
#include "widgets/MessageService.h"
#include "widgets/PromptService.h"
#include "widgets/UserCommand.h"
#include "widgets/WaitCursor.h"
#include "widgets/records/DataSource.h"
#include "windows/WindowPieces.h"

#include <QCoreApplication>
#include <QDir>
#include <QProgressDialog>
#include <climits>

namespace {
// The dialog shows only for work that lasts longer than this.
constexpr int ShownAfterMilliseconds = 500;

// A progress dialog over `window` with Cancel, and the progress that drives it.
class TProgressShown {
public:
    TProgressShown(QWidget* window, const QString& text)
        : Dialog(text, QStringLiteral("Cancel"), 0, 0, window) {
        Dialog.setWindowTitle(TMessageService::ApplicationTitle());
        Dialog.setWindowModality(Qt::WindowModal);
        Dialog.setMinimumDuration(ShownAfterMilliseconds);
        Dialog.setValue(0);
    }

    TWorkProgress Progress() {
        return [this](qint64 done, qint64 total) {
            // The dialog counts in int: large counts are shown in thousands.
            const int scale = total > INT_MAX ? 1000 : 1;
            Dialog.setMaximum(int(total / scale));
            Dialog.setValue(int(done / scale));
            QCoreApplication::processEvents();
            return !Dialog.wasCanceled();
        };
    }

private:
    QProgressDialog Dialog;
};

QString CatalogueOf(const TDataSource& mainSource) {
    return mainSource.DataSet()->TableName();
}

// A file name offered for `words` (a label, a searched text): no folder separators in it.
QString CsvNameFor(const QString& words, const QString& whenEmpty) {
    QString name = words.isEmpty() ? whenEmpty : words;
    name.replace(u'/', u'_').replace(u'\\', u'_');
    return name + QStringLiteral(".csv");
}
} // namespace

TCsvTransfer::TCsvTransfer(TMessageService& messages, TPromptService& prompts,
                           TDataSource& mainSource, QWidget* window)
    : Messages(messages)
    , Prompts(prompts)
    , MainSource(mainSource)
    , Window(window) {}

void TCsvTransfer::ExportCatalogue() {
    RunUserCommand(Messages,
                   [this] { Export(TExportRows::Catalogue(), QStringLiteral("catalogue.csv")); });
}

void TCsvTransfer::ExportDisc(const QString& label) {
    RunUserCommand(Messages, [this, &label] {
        Export(TExportRows::Disc(label), CsvNameFor(label, QStringLiteral("no label")));
    });
}

void TCsvTransfer::ExportMatching(const QString& text, int field) {
    RunUserCommand(Messages, [this, &text, field] {
        Export(TExportRows::Matching(text, field), CsvNameFor(text, QStringLiteral("search")));
    });
}

void TCsvTransfer::Import() {
    RunUserCommand(Messages, [this] { ImportFile(); });
}

void TCsvTransfer::Export(const TExportRows& rows, const QString& suggestedName) {
    const QString path =
        Prompts.SaveFileName(Window, QStringLiteral("Export to a CSV file"), suggestedName);
    if (path.isEmpty())
        return;
    // What the user typed last is exported too.
    MainSource.PostPendingEdit();
    TExportResult result;
    {
        const TWaitCursor wait;
        TProgressShown shown(Window, QStringLiteral("Exporting the rows..."));
        result = ExportRows(CatalogueOf(MainSource), rows, path, shown.Progress());
    }
    const QString file = QDir::toNativeSeparators(path);
    if (!result.Complete) {
        Messages.ShowMessage(TUserError(QStringLiteral("The export was cancelled: no file was "
                                                       "written."),
                                        TUserError::TSubject::File, file)
                                 .Text);
        return;
    }
    QString text = Counted(result.Rows, QStringLiteral("row was"), QStringLiteral("rows were")) +
                   QStringLiteral(" exported.");
    if (result.NotText > 0)
        text +=
            u'\n' +
            Counted(result.NotText, QStringLiteral("value was"), QStringLiteral("values were")) +
            QStringLiteral(" not UTF-8 text in the catalogue: each byte that was not is "
                           "written as the character U+FFFD.");
    Messages.ShowMessage(TUserError(text, TUserError::TSubject::File, file).Text);
}

void TCsvTransfer::ImportFile() {
    const QString path = Prompts.OpenFileName(Window, QStringLiteral("Import a CSV file"));
    if (path.isEmpty())
        return;
    std::optional<TCsvImport> import;
    {
        const TWaitCursor wait;
        import.emplace(path, CatalogueOf(MainSource));
    }
    QString question =
        QStringLiteral("%1 of %2 will be added")
            .arg(Counted(import->Rows(), QStringLiteral("row"), QStringLiteral("rows")),
                 Counted(import->Fields(), QStringLiteral("field"), QStringLiteral("fields")));
    if (import->UnreadableLines() > 0)
        question += QStringLiteral("; %1 could not be read (the first: line %2, %3)")
                        .arg(Counted(import->UnreadableLines(), QStringLiteral("line"),
                                     QStringLiteral("lines")),
                             Formatted(import->FirstUnreadableLine()), import->FirstProblem());
    if (!Messages.Confirm(question + u'.'))
        return;
    bool complete = false;
    WriteBesideMainWindow(MainSource, [&] {
        const TWaitCursor wait;
        TProgressShown shown(Window, QStringLiteral("Importing the rows..."));
        complete = import->Append(shown.Progress());
    });
    if (!complete) {
        Messages.ShowMessage(QStringLiteral("The import was cancelled: no row was added."));
        return;
    }
    Messages.ShowMessage(
        Counted(import->Rows(), QStringLiteral("row was"), QStringLiteral("rows were")) +
        QStringLiteral(" added to the catalogue."));
}
