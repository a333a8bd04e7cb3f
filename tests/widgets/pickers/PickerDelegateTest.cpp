// The pickers' owner drawing: glyph sizes, the transparent key colour, and where a glyph and
// its text land for a given indentation.

#include "widgets/pickers/PickerDelegate.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QTest>

namespace {
using G = TPickerGlyph;

// The columns of an image row that differ from the background colour.
QList<int> PaintedColumns(const QImage& image, int y, QRgb background) {
    QList<int> columns;
    for (int x = 0; x < image.width(); ++x)
        if (image.pixel(x, y) != background)
            columns << x;
    return columns;
}

QImage Painted(const TPickerLine& line, bool selected, bool showGlyph) {
    QImage image(120, 16, QImage::Format_RGB32);
    QStyleOptionViewItem option;
    option.rect = image.rect();
    option.state = QStyle::State_Enabled | QStyle::State_Active;
    if (selected)
        option.state |= QStyle::State_Selected;
    option.palette.setColor(QPalette::Base, Qt::white);
    option.palette.setColor(QPalette::Highlight, Qt::darkBlue);
    option.palette.setColor(QPalette::Text, Qt::black);
    option.palette.setColor(QPalette::HighlightedText, Qt::white);
    option.font = QApplication::font();
    QPainter painter(&image);
    TPickerDelegate::PaintEntry(painter, option, line, TPickerDelegate::TTextPlace::Centred,
                                showGlyph);
    return image;
}
} // namespace

class PickerDelegateTest : public QObject {
    Q_OBJECT
private slots:
    void glyphsHaveTheirSizesAndATransparentKey_data();
    void glyphsHaveTheirSizesAndATransparentKey();
    void theGlyphStandsAtTheIndentAndTheTextFourPixelsOn_data();
    void theGlyphStandsAtTheIndentAndTheTextFourPixelsOn();
    void aSelectedEntryFillsItsRowWithTheHighlight();
};

void PickerDelegateTest::glyphsHaveTheirSizesAndATransparentKey_data() {
    QTest::addColumn<TPickerGlyph>("glyph");
    QTest::addColumn<QSize>("size");
    for (const G drive : {G::Floppy, G::Hard, G::Network, G::CdRom, G::Ram})
        QTest::addRow("drive %d", int(drive)) << drive << QSize(16, 11);
    for (const G entry :
         {G::OpenFolder, G::CurrentFolder, G::ClosedFolder, G::Executable, G::UnknownFile})
        QTest::addRow("entry %d", int(entry)) << entry << QSize(16, 15);
}

void PickerDelegateTest::glyphsHaveTheirSizesAndATransparentKey() {
    QFETCH(TPickerGlyph, glyph);
    QFETCH(QSize, size);
    const QImage image = PickerGlyph(glyph).toImage();
    QCOMPARE(image.size(), size);
    QCOMPARE(qAlpha(image.pixel(0, size.height() - 1)), 0);
    int opaque = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            opaque += qAlpha(image.pixel(x, y)) == 255;
    QVERIFY2(opaque > size.width() * size.height() / 4, "a glyph is mostly its picture");
}

void PickerDelegateTest::theGlyphStandsAtTheIndentAndTheTextFourPixelsOn_data() {
    QTest::addColumn<int>("indent");
    QTest::addColumn<bool>("showGlyph");
    QTest::addColumn<int>("glyphLeft");
    QTest::addColumn<int>("textLeft");
    QTest::newRow("root line") << 2 << true << 2 << 22;
    QTest::newRow("sub-folder three down") << 18 << true << 18 << 38;
    QTest::newRow("file without glyph") << 2 << false << -1 << 2;
}

void PickerDelegateTest::theGlyphStandsAtTheIndentAndTheTextFourPixelsOn() {
    QFETCH(int, indent);
    QFETCH(bool, showGlyph);
    QFETCH(int, glyphLeft);
    QFETCH(int, textLeft);

    const QImage glyphOnly = Painted({QString(), G::ClosedFolder, indent}, false, showGlyph);
    const QImage textOnly = Painted({"IIII", G::None, indent}, false, showGlyph);
    const QImage both = Painted({"IIII", G::ClosedFolder, indent}, false, showGlyph);

    QList<int> glyphColumns;
    for (int y = 0; y < glyphOnly.height(); ++y)
        glyphColumns += PaintedColumns(glyphOnly, y, qRgb(255, 255, 255));
    if (glyphLeft < 0) {
        QVERIFY(glyphColumns.isEmpty());
    } else {
        QCOMPARE(*std::min_element(glyphColumns.begin(), glyphColumns.end()), glyphLeft);
        QCOMPARE(*std::max_element(glyphColumns.begin(), glyphColumns.end()), glyphLeft + 15);
    }
    // The text of an entry with a glyph starts where a glyph-less one would, pushed on.
    int textStart = both.width();
    for (int y = 0; y < both.height(); ++y)
        for (const int x : PaintedColumns(both, y, qRgb(255, 255, 255)))
            if (x > (glyphLeft < 0 ? -1 : glyphLeft + 15))
                textStart = std::min(textStart, x);
    int plainStart = textOnly.width();
    for (int y = 0; y < textOnly.height(); ++y)
        for (const int x : PaintedColumns(textOnly, y, qRgb(255, 255, 255)))
            plainStart = std::min(plainStart, x);
    QCOMPARE(textStart - plainStart + indent, textLeft);
}

void PickerDelegateTest::aSelectedEntryFillsItsRowWithTheHighlight() {
    const QImage image = Painted({"x", G::ClosedFolder, 2}, true, true);
    const QRgb highlight = QColor(Qt::darkBlue).rgb();
    QCOMPARE(image.pixel(0, 0), highlight);
    QCOMPARE(image.pixel(119, 15), highlight);
    QCOMPARE(image.pixel(2, 14), highlight); // under the glyph's transparent key
}

QTEST_MAIN(PickerDelegateTest)
#include "PickerDelegateTest.moc"
