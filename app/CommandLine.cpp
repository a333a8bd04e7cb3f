#include "app/CommandLine.h"

#include "catalog/CatalogSearch.h"
#include "catalog/TablePaths.h"
#include "text/UserError.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QStandardPaths>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

const QString Program = QStringLiteral("zandrel");
constexpr int SomeMatched = 0;
constexpr int NoneMatched = 1;
constexpr int Failed = 2;

// The words the options start with: any of them asks for the command line. Every other
// argument is left to the windows (Qt's own, such as -platform).
constexpr const char* OptionWords[] = {"--find", "--field", "--help", "-h", "--version"};

struct TFieldWord {
    const char* Word;
    int Field;
};
constexpr TFieldWord FieldWords[] = {
    {"all", AllFields}, {"label", 0}, {"directory", 1}, {"file", 2}, {"comment", 3},
};

int Fail(const QString& text) {
    std::fprintf(stderr, "%s: %s\n", qPrintable(Program), text.toLocal8Bit().constData());
    return Failed;
}

int UsageError(const QString& text) {
    return Fail(text + QStringLiteral("\nTry '%1 --help' for more information.").arg(Program));
}

void Print(const QString& text) {
    std::fputs(text.toLocal8Bit().constData(), stdout);
}

// One field of an output line: a tab, line break or backslash inside it written as \t, \n
// or \\, so every row is one line of four fields.
void AppendEscaped(QByteArray& line, const QString& value) {
    for (const char byte : value.toUtf8()) {
        switch (byte) {
        case '\t':
            line += "\\t";
            break;
        case '\n':
            line += "\\n";
            break;
        case '\\':
            line += "\\\\";
            break;
        default:
            line += byte;
        }
    }
}

// Prints every row of the catalogue at `path` that holds `text`; returns the exit status.
int PrintMatches(const QString& path, const QString& text, int field) {
    TCatalogSearch search(path);
    search.Start(text, field);
    bool any = false;
    QByteArray line;
    while (search.Step()) {
        if (!search.Matched())
            continue;
        any = true;
        line.clear();
        const TFieldValues values = search.Values();
        for (size_t each = 0; each < values.size(); ++each) {
            if (each > 0)
                line += '\t';
            AppendEscaped(line, values[each]);
        }
        line += '\n';
        std::fwrite(line.constData(), 1, size_t(line.size()), stdout);
    }
    if (std::fflush(stdout) != 0 || std::ferror(stdout))
        return Fail(QStringLiteral("The rows found could not be written: %1.")
                        .arg(QString::fromLocal8Bit(std::strerror(errno))));
    return any ? SomeMatched : NoneMatched;
}

} // namespace

bool CommandLineWanted(int argc, char** argv) {
    for (int index = 1; index < argc; ++index) {
        const QByteArray argument(argv[index]);
        for (const char* word : OptionWords)
            if (argument == word || argument.startsWith(QByteArray(word) + '='))
                return true;
    }
    return false;
}

int RunCommandLine(int argc, char** argv) {
    const QCoreApplication application(argc, argv);
    // The user's data folder is named after the program, as the windows' is.
    QCoreApplication::setApplicationName(Program);
    QCoreApplication::setApplicationVersion(QStringLiteral(ZANDREL_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("A catalogue of the files on removable discs. Without options it opens "
                       "its main window."));
    const QCommandLineOption find(
        QStringLiteral("find"),
        QStringLiteral("Print the rows of the catalogue that contain <text>, one a line: label, "
                       "folder, file name and comment, separated by tabs (a tab, line break or "
                       "backslash inside a field written as \\t, \\n or \\\\). Exit status 0 "
                       "when a row matched, 1 when none did, 2 on an error."),
        QStringLiteral("text"));
    const QCommandLineOption field(
        QStringLiteral("field"),
        QStringLiteral("Look for the text in one field only: all (the default), label, "
                       "directory, file or comment."),
        QStringLiteral("field"), QStringLiteral("all"));
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Print this help and end."));
    const QCommandLineOption version(QStringLiteral("version"),
                                     QStringLiteral("Print the version and end."));
    parser.addOptions({find, field, help, version});
    if (!parser.parse(QCoreApplication::arguments()))
        return UsageError(parser.errorText());
    if (!parser.positionalArguments().isEmpty())
        return UsageError(
            QStringLiteral("Unexpected argument '%1'.").arg(parser.positionalArguments().first()));
    if (parser.isSet(help)) {
        Print(parser.helpText());
        return SomeMatched;
    }
    if (parser.isSet(version)) {
        Print(Program + u' ' + QCoreApplication::applicationVersion() + u'\n');
        return SomeMatched;
    }
    if (!parser.isSet(find))
        return UsageError(QStringLiteral("--field goes with --find."));
    const QString word = parser.value(field);
    const auto chosen =
        std::find_if(std::begin(FieldWords), std::end(FieldWords),
                     [&word](const TFieldWord& each) { return word == QLatin1String(each.Word); });
    if (chosen == std::end(FieldWords))
        return UsageError(QStringLiteral("Unknown field '%1': all, label, directory, file or "
                                         "comment.")
                              .arg(word));
    try {
        const QString folder =
            TableFolder(QCoreApplication::applicationDirPath(),
                        QStandardPaths::writableLocation(QStandardPaths::AppDataLocation));
        return PrintMatches(TablePathIn(folder, CatalogTableFileName), parser.value(find),
                            chosen->Field);
    } catch (const TUserError& error) {
        return Fail(error.Text);
    } catch (const std::exception& error) {
        return Fail(QString::fromLocal8Bit(error.what()));
    }
}
