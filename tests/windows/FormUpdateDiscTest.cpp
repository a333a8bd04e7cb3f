// The update window over small trees on drives of the fake file system: what "Compare" says
// and what "Apply" leaves of the disc's rows, whatever changed on the disc, where it is
// mounted now, and when another program wrote between the two.

#include "windows/FormUpdateDisc.h"
#include "CatalogFixture.h"
#include "ScriptedMessages.h"
#include "support/FakeFileSystem.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <cerrno>
#include <memory>

namespace {
const QString Disc = QStringLiteral("MY_DISC");
// A row of another disc, which no update of this one touches.
const QString OtherRow = QStringLiteral("OTHER|D:\\DOCS\\|b.txt|theirs");

// The rows of disc `label` as "folder|file|comment", sorted.
QStringList RowsOf(TTableCursor& cursor, const QString& label) {
    QStringList rows;
    for (cursor.First(); !cursor.Eof(); cursor.Next())
        if (cursor.FieldText(0) == label)
            rows.append(
                QStringList{cursor.FieldText(1), cursor.FieldText(2), cursor.FieldText(3)}.join(
                    u'|'));
    rows.sort();
    return rows;
}

QString Quoted(const QString& text) {
    return u'\'' + QString(text).replace(u'\'', QStringLiteral("''")) + u'\'';
}
} // namespace

class FormUpdateDiscTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { ShortenBusyTimeout(); }
    void anUpdateKeepsEveryRowItCannotJudge_data();
    void anUpdateKeepsEveryRowItCannotJudge();
};

void FormUpdateDiscTest::anUpdateKeepsEveryRowItCannotJudge_data() {
    QTest::addColumn<QStringList>("before"); // the disc's rows: folder|file|comment
    QTest::addColumn<QStringList>("tree");   // the files on the disc now, from its root
    QTest::addColumn<QChar>("letter");       // where the disc is mounted now
    QTest::addColumn<bool>("alsoCommented");
    QTest::addColumn<QString>("meddle"); // SQL of another program between Compare and Apply
    QTest::addColumn<QString>("summary");
    QTest::addColumn<QStringList>("after");
    QTest::addColumn<QString>("error");
    QTest::addColumn<QString>("unreadable"); // a folder whose listing fails

    const QStringList two = {"D:\\|a.txt|", "D:\\DOCS\\|b.txt|"};
    const QStringList commented = {"D:\\|a.txt|", "D:\\DOCS\\|b.txt|mine"};
    QTest::newRow("a file added") << two << QStringList{"a.txt", "DOCS/b.txt", "DOCS/c.txt"}
                                  << QChar(u'D') << false << QString()
                                  << "1 new file, 0 gone, 2 unchanged"
                                  << QStringList{"D:\\DOCS\\|b.txt|", "D:\\DOCS\\|c.txt|",
                                                 "D:\\|a.txt|"}
                                  << QString() << QString();
    QTest::newRow("a file removed") << two << QStringList{"a.txt"} << QChar(u'D') << false
                                    << QString() << "0 new files, 1 gone, 1 unchanged"
                                    << QStringList{"D:\\|a.txt|"} << QString() << QString();
    QTest::newRow("a file renamed")
        << two << QStringList{"a.txt", "DOCS/B2.txt"} << QChar(u'D') << false << QString()
        << "1 new file, 1 gone, 1 unchanged" << QStringList{"D:\\DOCS\\|B2.txt|", "D:\\|a.txt|"}
        << QString() << QString();
    QTest::newRow("a file moved to another folder")
        << two << QStringList{"a.txt", "OLD/b.txt"} << QChar(u'D') << false << QString()
        << "1 new file, 1 gone, 1 unchanged" << QStringList{"D:\\OLD\\|b.txt|", "D:\\|a.txt|"}
        << QString() << QString();
    QTest::newRow("a gone file with a comment stays")
        << commented << QStringList{"a.txt"} << QChar(u'D') << false << QString()
        << "0 new files, 1 gone (1 of them with a comment), 1 unchanged" << commented << QString()
        << QString();
    QTest::newRow("a gone file with a comment goes when asked")
        << commented << QStringList{"a.txt"} << QChar(u'D') << true << QString()
        << "0 new files, 1 gone (1 of them with a comment), 1 unchanged"
        << QStringList{"D:\\|a.txt|"} << QString() << QString();
    QTest::newRow("the disc mounted under another letter")
        << commented << QStringList{"a.txt", "DOCS/b.txt", "DOCS/c.txt"} << QChar(u'F') << false
        << QString() << "1 new file, 0 gone, 2 unchanged"
        << QStringList{"D:\\DOCS\\|b.txt|mine", "D:\\DOCS\\|c.txt|", "D:\\|a.txt|"} << QString()
        << QString();
    QTest::newRow("another program changed a row meanwhile")
        << two << QStringList{"a.txt", "DOCS/c.txt"} << QChar(u'D') << false
        << "UPDATE records SET Coments = 'new' WHERE Label = 'MY_DISC' AND File = 'b.txt'"
        << "1 new file, 1 gone, 1 unchanged" << QStringList{"D:\\DOCS\\|b.txt|new", "D:\\|a.txt|"}
        << "Another program or window changed the rows of this disc since they were compared: "
           "nothing was changed. Compare again."
        << QString();
    QTest::newRow("another program's change elsewhere is no obstacle")
        << two << QStringList{"a.txt"} << QChar(u'D') << false
        << "UPDATE records SET Coments = 'seen' WHERE Label = 'OTHER'"
        << "0 new files, 1 gone, 1 unchanged" << QStringList{"D:\\|a.txt|"} << QString()
        << QString();
    QTest::newRow("an unreadable folder keeps its rows")
        << two << QStringList{"a.txt", "DOCS/b.txt"} << QChar(u'D') << false << QString()
        << "0 new files, 0 gone, 1 unchanged, 1 row where the scan could not read, kept as they "
           "are\n1 folders or files could not be catalogued; the first: I/O error 1117: D:\\DOCS"
        << two << QString() << "D:\\DOCS";
}

void FormUpdateDiscTest::anUpdateKeepsEveryRowItCannotJudge() {
    QFETCH(QStringList, before);
    QFETCH(QStringList, tree);
    QFETCH(QChar, letter);
    QFETCH(bool, alsoCommented);
    QFETCH(QString, meddle);
    QFETCH(QString, summary);
    QFETCH(QStringList, after);
    QFETCH(QString, error);
    QFETCH(QString, unreadable);

    TFakeFileSystem files;
    files.AddDrive(u'C', TDriveType::Fixed, QStringLiteral("SYSTEM"));
    const QString root = files.AddDrive(letter, TDriveType::Removable, Disc);
    for (const QString& path : tree) {
        QVERIFY(QDir(root).mkpath(QFileInfo(path).path()));
        QFile file(root + u'/' + path);
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    if (!unreadable.isEmpty())
        QVERIFY(files.FailListing(unreadable, 2, EIO));
    TSourcedCatalog catalog(0);
    QString rows;
    const QStringList written = QStringList(before) << OtherRow;
    for (const QString& row : written) {
        QStringList values = row.split(u'|');
        if (values.size() == 3)
            values.prepend(Disc);
        QStringList quoted;
        for (const QString& value : values)
            quoted.append(Quoted(value));
        rows += QStringLiteral("INSERT INTO records VALUES (%1);").arg(quoted.join(u','));
    }
    catalog.Fixture.ExecuteElsewhere(rows);
    catalog.Cursor.Open();
    TScriptedMessages messages;
    QWidget mainWindow;
    TFormUpdateDisc form(messages, files, catalog.Source, &mainWindow);
    form.Show(Disc);
    QVERIFY(QTest::qWaitForWindowExposed(&form));

    QTest::mouseClick(form.findChild<QPushButton*>(QStringLiteral("ButtonCompare")),
                      Qt::LeftButton);
    QCOMPARE(form.findChild<QLabel*>(QStringLiteral("LabelSummary"))->text(), summary);
    if (!meddle.isEmpty())
        catalog.Fixture.ExecuteElsewhere(meddle);
    if (alsoCommented)
        QTest::mouseClick(form.findChild<QCheckBox*>(QStringLiteral("CheckBoxDeleteCommented")),
                          Qt::LeftButton);
    QTest::mouseClick(form.findChild<QPushButton*>(QStringLiteral("ButtonApply")), Qt::LeftButton);
    // The error names the catalogue.
    QCOMPARE(messages.Texts().size(), error.isEmpty() ? 0 : 1);
    if (!error.isEmpty())
        QCOMPARE(messages.Texts().constFirst(),
                 error + QStringLiteral("\nFile: ") + catalog.Fixture.Path + u'.');
    after.sort();
    QCOMPARE(RowsOf(catalog.Cursor, Disc), after);
    QCOMPARE(RowsOf(catalog.Cursor, QStringLiteral("OTHER")).size(), 1);
}

QTEST_MAIN(FormUpdateDiscTest)
#include "FormUpdateDiscTest.moc"
