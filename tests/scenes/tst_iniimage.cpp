#include "scenes/iniimage.h"

#include <QtTest>

// The INI image: how text is read into sections and entries, how lookups
// match, and the text written back.
class TestIniImage : public QObject
{
    Q_OBJECT

private slots:
    void lookup_data();
    void lookup();
    void rewrite_data();
    void rewrite();
    void setValueKeepsPlaces();
    void setValueKeepsOneLine();
    void clearEmptiesLookups();
};

void TestIniImage::lookup_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("found");
    QTest::addColumn<QString>("value");

    const QString key1 = QStringLiteral("[RawData\\Key1]\r\nBoard1=8101810081008180\r\n");
    QTest::addRow("exact names") << key1 << "RawData\\Key1"
                                 << "Board1" << true << "8101810081008180";
    QTest::addRow("lower-case section and entry in the file")
        << QStringLiteral("[rawdata\\key1]\r\nboard1=81\r\n") << "RawData\\Key1"
        << "Board1" << true << "81";
    QTest::addRow("upper-case lookup") << key1 << "RAWDATA\\KEY1"
                                       << "BOARD1" << true << "8101810081008180";
    QTest::addRow("first of two entries wins")
        << QStringLiteral("[S]\r\nA=1\r\na=2\r\n") << "S" << "A" << true << "1";
    QTest::addRow("first of two sections wins per entry")
        << QStringLiteral("[S]\r\nA=1\r\n[s]\r\nA=2\r\nB=3\r\n") << "S" << "A" << true << "1";
    QTest::addRow("second block of a section adds new entries")
        << QStringLiteral("[S]\r\nA=1\r\n[s]\r\nA=2\r\nB=3\r\n") << "S" << "B" << true << "3";
    QTest::addRow("space before = is part of the name")
        << QStringLiteral("[S]\r\nTime1 =5\r\n") << "S" << "Time1" << false << "";
    QTest::addRow("space after = is part of the value")
        << QStringLiteral("[S]\r\nTime1= 5 \r\n") << "S" << "Time1" << true << " 5 ";
    QTest::addRow("value keeps later =")
        << QStringLiteral("[S]\r\nA=b=c\r\n") << "S" << "A" << true << "b=c";
    QTest::addRow("empty value") << QStringLiteral("[S]\r\nA=\r\n") << "S" << "A" << true << "";
    QTest::addRow("entry before the first section dropped")
        << QStringLiteral("A=1\r\n[S]\r\nB=2\r\n") << "" << "A" << false << "";
    QTest::addRow("comment line skipped")
        << QStringLiteral("[S]\r\n;A=1\r\n") << "S" << ";A" << false << "";
    QTest::addRow("LF line ends") << QStringLiteral("[S]\nA=1\nB=2\n") << "S" << "B" << true << "2";
    QTest::addRow("CR line ends") << QStringLiteral("[S]\rA=1\rB=2") << "S" << "B" << true << "2";
    QTest::addRow("last line without line end")
        << QStringLiteral("[S]\r\nA=1") << "S" << "A" << true << "1";
    QTest::addRow("bracket line with trailing space is no section")
        << QStringLiteral("[S]\r\n[T] \r\nA=1\r\n") << "S" << "A" << true << "1";
    QTest::addRow("empty section name")
        << QStringLiteral("[]\r\nA=1\r\n") << "" << "A" << true << "1";
    QTest::addRow("Chinese names") << QStringLiteral("[6key1\\key1]\r\nCaption=晴空\r\n")
                                   << "6KEY1\\KEY1" << "caption" << true << "晴空";
}

void TestIniImage::lookup()
{
    QFETCH(QString, text);
    QFETCH(QString, section);
    QFETCH(QString, name);
    QFETCH(bool, found);
    QFETCH(QString, value);

    const IniImage image = IniImage::parse(text);
    const std::optional<QString> got = image.value(section, name);
    QCOMPARE(got.has_value(), found);
    if (found)
        QCOMPARE(*got, value);
}

// Text read and written back: what survives, in which order, in which form.
void TestIniImage::rewrite_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("written");

    QTest::addRow("empty text") << QString() << QString();
    QTest::addRow("sections in order, empty line after each")
        << QStringLiteral("[B]\r\nx=1\r\n[A]\r\ny=2\r\nz=3\r\n")
        << QStringLiteral("[B]\r\nx=1\r\n\r\n[A]\r\ny=2\r\nz=3\r\n\r\n");
    QTest::addRow("LF file written with CR LF")
        << QStringLiteral("[S]\nA=1\n") << QStringLiteral("[S]\r\nA=1\r\n\r\n");
    QTest::addRow("empty section kept") << QStringLiteral("[S]\r\n[T]\r\nA=1\r\n")
                                        << QStringLiteral("[S]\r\n\r\n[T]\r\nA=1\r\n\r\n");
    QTest::addRow("comments, blank lines, stray text dropped")
        << QStringLiteral("junk\r\n;c\r\n[S]\r\n\r\n;c2\r\nno equals\r\nA=1\r\n")
        << QStringLiteral("[S]\r\nA=1\r\n\r\n");
    QTest::addRow("duplicates merged into the first occurrence")
        << QStringLiteral("[S]\r\nA=1\r\n[T]\r\nC=4\r\n[s]\r\na=2\r\nB=3\r\n")
        << QStringLiteral("[S]\r\nA=1\r\nB=3\r\n\r\n[T]\r\nC=4\r\n\r\n");
    QTest::addRow("names keep their spelling")
        << QStringLiteral("[rawdata\\key1]\r\nboard1=81\r\n")
        << QStringLiteral("[rawdata\\key1]\r\nboard1=81\r\n\r\n");
}

void TestIniImage::rewrite()
{
    QFETCH(QString, text);
    QFETCH(QString, written);
    QCOMPARE(IniImage::parse(text).serialize(), written);
}

// A loaded file's sections stay where they were; a changed value stays in its
// old place, new ones are appended, and the file's spelling of names is kept.
void TestIniImage::setValueKeepsPlaces()
{
    IniImage image = IniImage::parse(QStringLiteral(
        "[Vendor]\r\nX=1\r\n[rawdata\\key1]\r\nboard2=00\r\nboard1=11\r\n[Other]\r\nY=2\r\n"));
    image.setValue(QStringLiteral("RawData\\Key1"), QStringLiteral("Board1"), QStringLiteral("81"));
    image.setValue(QStringLiteral("RawData\\Key1"), QStringLiteral("Board3"), QStringLiteral("FF"));
    image.setValue(QStringLiteral("Form1"), QStringLiteral("FormVersion"), QStringLiteral("0"));

    QCOMPARE(image.serialize(),
             QStringLiteral("[Vendor]\r\nX=1\r\n\r\n"
                            "[rawdata\\key1]\r\nboard2=00\r\nboard1=81\r\nBoard3=FF\r\n\r\n"
                            "[Other]\r\nY=2\r\n\r\n"
                            "[Form1]\r\nFormVersion=0\r\n\r\n"));
    QCOMPARE(image.sectionNames(), (QStringList{"Vendor", "rawdata\\key1", "Other", "Form1"}));
    QCOMPARE(image.entryNames(QStringLiteral("RAWDATA\\KEY1")),
             (QStringList{"board2", "board1", "Board3"}));
}

// A value holding line breaks must not smuggle sections into the file.
void TestIniImage::setValueKeepsOneLine()
{
    IniImage image;
    image.setValue(QStringLiteral("6key1\\key1"), QStringLiteral("Caption"),
                   QStringLiteral("a\r\n[Form1]\r\nFormVersion=-1\nb\rc"));
    const IniImage reread = IniImage::parse(image.serialize());
    QCOMPARE(reread.sectionNames(), QStringList{"6key1\\key1"});
    QCOMPARE(reread.value(QStringLiteral("6key1\\key1"), QStringLiteral("Caption")),
             std::optional<QString>(QStringLiteral("a  [Form1]  FormVersion=-1 b c")));
}

void TestIniImage::clearEmptiesLookups()
{
    IniImage image = IniImage::parse(QStringLiteral("[S]\r\nA=1\r\n"));
    image.clear();
    QVERIFY(image.isEmpty());
    QVERIFY(!image.hasSection(QStringLiteral("S")));
    QVERIFY(!image.value(QStringLiteral("S"), QStringLiteral("A")).has_value());
    image.setValue(QStringLiteral("T"), QStringLiteral("B"), QStringLiteral("2"));
    QCOMPARE(image.serialize(), QStringLiteral("[T]\r\nB=2\r\n\r\n"));
}

QTEST_GUILESS_MAIN(TestIniImage)
#include "tst_iniimage.moc"
