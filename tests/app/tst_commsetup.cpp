#include "inmemorytransport.h"
#include "recordingerrorreporter.h"

#include "app/commsetupdialog.h"
#include "app/ipaddressedit.h"
#include "app/onoffswitch.h"
#include "app/radiogroup.h"
#include "link/devicelink.h"
#include "link/portchooser.h"
#include "protocol/kvterror.h"
#include "scenes/scenefilestorage.h"

#include <QApplication>
#include <QLineEdit>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QtTest>

namespace {

class ScriptedChooser : public PortChooser
{
public:
    int asked = 0;
    Choice choosePort(const QList<int> &) override
    {
        ++asked;
        return {false, 0};
    }
};

// The dialog over a link whose transports live in memory; the serial ports in
// busy cannot be opened.
struct Fixture
{
    QTemporaryDir folder;
    RecordingErrorReporter reporter;
    SceneFileStorage storage{folder.path(), reporter};
    ScriptedChooser chooser;
    QList<int> busy;
    QList<LinkSettings> built;
    DeviceLink link{[this](const LinkSettings &s) {
                        built.append(s);
                        auto t = std::make_unique<InMemoryTransport>();
                        if (s.deviceLayer == DeviceLayer::dlWin32 && busy.contains(s.comNumber))
                            t->failOpenWith = QStringLiteral("COM%1 is busy").arg(s.comNumber);
                        return t;
                    },
                    [] { return QList<int>{1, 2, 3}; }, &chooser, &reporter};
    std::unique_ptr<TfrmCommSetup> dialog;

    void create() { dialog = std::make_unique<TfrmCommSetup>(link, storage, reporter); }
    template <typename T>
    T *find(const char *name) const
    {
        T *w = dialog->findChild<T *>(QString::fromLatin1(name));
        if (!w)
            qFatal("no control %s", name);
        return w;
    }
    QRadioButton *rgRS232() const { return find<QRadioButton>("rgRS232"); }
    QRadioButton *rbEthernet() const { return find<QRadioButton>("rbEthernet"); }
    OnOffSwitch *JvSwitch1() const { return find<OnOffSwitch>("JvSwitch1"); }
    QStackedWidget *Notebook1() const { return find<QStackedWidget>("Notebook1"); }
    RadioGroup *rgCommPort() const { return find<RadioGroup>("rgCommPort"); }
    IpAddressEdit *JvIPAddress1() const { return find<IpAddressEdit>("JvIPAddress1"); }
    QLineEdit *jvedPort() const { return find<QLineEdit>("jvedPort"); }

    void chooseComPort(int n) { rgCommPort()->button(n - 1)->click(); }
    void leaveAddressField()
    {
        QFocusEvent out(QEvent::FocusOut);
        QApplication::sendEvent(JvIPAddress1(), &out);
    }
};

} // namespace

class TestCommSetup : public QObject
{
    Q_OBJECT
private slots:
    void firstStartWithoutStoredSettings();
    void applies_data();
    void applies();
    void switchOpensAndCloses();
    void failedSwitchShowsOnUntilActivated();
    void activationShowsAutoOpenedLink();
    void storesAndRestoresFormSection();
    void restoreStopsAtValueThatDoesNotConvert();
    void restoresPlacement_data();
    void restoresPlacement();
    void convertsAddressToNumber_data();
    void convertsAddressToNumber();
};

void TestCommSetup::firstStartWithoutStoredSettings()
{
    Fixture f;
    f.create();
    QCOMPARE(f.dialog->windowTitle(), QStringLiteral("通訊設定"));
    QCOMPARE(f.dialog->size(), QSize(346, 310));
    QVERIFY(!f.dialog->isVisible());
    QCOMPARE(f.rgRS232()->text(), QStringLiteral("串列"));
    QCOMPARE(f.rbEthernet()->text(), QStringLiteral("網路"));
    QVERIFY(f.rgRS232()->isChecked());
    QVERIFY(!f.rbEthernet()->isChecked());
    QVERIFY(!f.JvSwitch1()->isChecked());
    QCOMPARE(f.Notebook1()->currentIndex(), 1);
    QCOMPARE(f.Notebook1()->currentWidget()->objectName(), QStringLiteral("ethernet"));
    QCOMPARE(f.rgCommPort()->title(), QStringLiteral(" Comm Port "));
    QCOMPARE(f.rgCommPort()->count(), 12);
    for (int i = 0; i < 12; ++i)
        QCOMPARE(f.rgCommPort()->button(i)->text(), QString::number(i + 1));
    QCOMPARE(f.rgCommPort()->itemIndex(), -1);
    QCOMPARE(f.jvedPort()->text(), QStringLiteral("4444"));
    QCOMPARE(f.JvIPAddress1()->text(), QStringLiteral("192.168.1.200"));
    // Applied at creation: serial without a port, link still closed.
    QVERIFY(!f.link.isOpen());
    QCOMPARE(f.link.deviceLayer(), DeviceLayer::dlWin32);
    QCOMPARE(f.link.comNumber(), 0);
    QVERIFY(f.reporter.errors().isEmpty());
    // The first write asks for a port.
    QVERIFY_THROWS_EXCEPTION(KvtError, f.link.write(QByteArray("H")));
    QCOMPARE(f.chooser.asked, 1);
}

void TestCommSetup::applies_data()
{
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("action");
    QTest::addColumn<bool>("open");
    QTest::addColumn<bool>("tcp");
    QTest::addColumn<int>("comNumber");
    QTest::addColumn<bool>("switchOn");
    QTest::addColumn<int>("errors");

    QTest::addRow("serial open on COM3, choose 5: reopened on COM5")
        << "serial open" << "com5" << true << false << 5 << true << 0;
    QTest::addRow("serial closed on COM3, choose 5: stays closed")
        << "serial closed" << "com5" << false << false << 5 << false << 0;
    QTest::addRow("serial open, choose network: closed and left closed")
        << "serial open" << "network" << false << true << 3 << false << 0;
    QTest::addRow("TCP open, leave the address field: closed, switch off")
        << "tcp open" << "leave address" << false << true << 3 << false << 0;
    QTest::addRow("TCP open, choose serial: opened on the selected port")
        << "tcp open" << "serial" << true << false << 3 << true << 0;
    QTest::addRow("serial open, choose a busy port: error, switch not updated")
        << "serial open" << "com6 busy" << false << false << 6 << true << 1;
}

void TestCommSetup::applies()
{
    QFETCH(QString, start);
    QFETCH(QString, action);
    QFETCH(bool, open);
    QFETCH(bool, tcp);
    QFETCH(int, comNumber);
    QFETCH(bool, switchOn);
    QFETCH(int, errors);

    Fixture f;
    f.busy = {6};
    f.create();
    f.rgRS232()->click();
    f.chooseComPort(3);
    if (start == QLatin1String("tcp open")) {
        f.rbEthernet()->click();
        f.JvIPAddress1()->setText(QStringLiteral("10.0.0.9"));
        f.jvedPort()->setText(QStringLiteral("4001"));
    }
    if (start.endsWith(QLatin1String("open")))
        f.JvSwitch1()->click();
    QCOMPARE(f.link.isOpen(), start.endsWith(QLatin1String("open")));
    QVERIFY(f.reporter.errors().isEmpty());

    if (action == QLatin1String("com5"))
        f.chooseComPort(5);
    else if (action == QLatin1String("com6 busy"))
        f.chooseComPort(6);
    else if (action == QLatin1String("network"))
        f.rbEthernet()->click();
    else if (action == QLatin1String("serial"))
        f.rgRS232()->click();
    else if (action == QLatin1String("leave address"))
        f.leaveAddressField();

    QCOMPARE(f.link.isOpen(), open);
    QCOMPARE(f.link.deviceLayer(), tcp ? DeviceLayer::dlWinsock : DeviceLayer::dlWin32);
    QCOMPARE(f.link.comNumber(), comNumber);
    QCOMPARE(f.JvSwitch1()->isChecked(), switchOn);
    QCOMPARE(f.reporter.errors().size(), errors);
    QCOMPARE(f.Notebook1()->currentIndex(), tcp ? 1 : 0);
    if (open)
        QCOMPARE(f.built.last().comNumber, comNumber);
    if (tcp) {
        QCOMPARE(f.link.wsAddress(), f.JvIPAddress1()->text());
        QCOMPARE(f.link.wsPort(), f.jvedPort()->text());
    }
}

void TestCommSetup::switchOpensAndCloses()
{
    Fixture f;
    f.create();
    f.rgRS232()->click();
    f.chooseComPort(2);
    f.JvSwitch1()->click();
    QVERIFY(f.link.isOpen());
    QCOMPARE(f.built.last().comNumber, 2);
    f.JvSwitch1()->click();
    QVERIFY(!f.link.isOpen());
    QVERIFY(!f.JvSwitch1()->isChecked());
    QVERIFY(f.reporter.errors().isEmpty());
}

void TestCommSetup::failedSwitchShowsOnUntilActivated()
{
    Fixture f;
    f.busy = {4};
    f.create();
    f.chooseComPort(4);
    f.JvSwitch1()->click();
    QCOMPARE(f.reporter.errors(), QStringList{QStringLiteral("COM4 is busy")});
    QVERIFY(!f.link.isOpen());
    QVERIFY(f.JvSwitch1()->isChecked());
    f.dialog->FormActivate();
    QVERIFY(!f.JvSwitch1()->isChecked());
}

void TestCommSetup::activationShowsAutoOpenedLink()
{
    Fixture f;
    f.create();
    f.chooseComPort(1);
    f.link.write(QByteArray("H")); // a frame opens the link
    QVERIFY(!f.JvSwitch1()->isChecked());
    f.dialog->show();
    QVERIFY(f.JvSwitch1()->isChecked());
    f.dialog->close();
}

void TestCommSetup::storesAndRestoresFormSection()
{
    Fixture f;
    f.create();
    f.chooseComPort(5);
    f.rbEthernet()->click();
    f.JvIPAddress1()->setText(QStringLiteral("10.1.2.3"));
    f.jvedPort()->setText(QStringLiteral("5000"));
    f.dialog->show();
    f.dialog->close(); // the close box stores

    const QString section = QStringLiteral("frmCommSetup");
    const IniImage &image = f.storage.image();
    QCOMPARE(image.entryNames(section),
             (QStringList{"FormVersion", "ShowCmd", "Flags", "PixelsPerInch", "MinMaxPos", "NormPos",
                          "JvIPAddress1_Text", "rgRS232_Checked", "rbEthernet_Checked",
                          "Notebook1_PageIndex", "rgCommPort_ItemIndex", "jvedPort_Text",
                          "JvIPAddress1_Address"}));
    const auto value = [&](const char *name) { return image.value(section, QString::fromLatin1(name)).value_or("?"); };
    QCOMPARE(value("FormVersion"), QStringLiteral("0"));
    QCOMPARE(value("ShowCmd"), QStringLiteral("1"));
    QCOMPARE(value("JvIPAddress1_Text"), QStringLiteral("10.1.2.3"));
    QCOMPARE(value("rgRS232_Checked"), QStringLiteral("FALSE"));
    QCOMPARE(value("rbEthernet_Checked"), QStringLiteral("TRUE"));
    QCOMPARE(value("Notebook1_PageIndex"), QStringLiteral("1"));
    QCOMPARE(value("rgCommPort_ItemIndex"), QStringLiteral("4"));
    QCOMPARE(value("jvedPort_Text"), QStringLiteral("5000"));
    QCOMPARE(value("JvIPAddress1_Address"), QStringLiteral("167838211"));
    const QStringList bounds = value("NormPos").split(QLatin1Char(','));
    QCOMPARE(bounds.size(), 4);
    QCOMPARE(bounds[2].toInt() - bounds[0].toInt(), f.dialog->width());
    QCOMPARE(bounds[3].toInt() - bounds[1].toInt(), f.dialog->height());

    // A second start from the same image: the controls come back and the link
    // takes them.
    Fixture g;
    g.storage.setImage(f.storage.image());
    g.create();
    QVERIFY(g.rbEthernet()->isChecked());
    QVERIFY(!g.rgRS232()->isChecked());
    QCOMPARE(g.Notebook1()->currentIndex(), 1);
    QCOMPARE(g.rgCommPort()->itemIndex(), 4);
    QCOMPARE(g.jvedPort()->text(), QStringLiteral("5000"));
    QCOMPARE(g.JvIPAddress1()->text(), QStringLiteral("10.1.2.3"));
    QCOMPARE(g.link.deviceLayer(), DeviceLayer::dlWinsock);
    QCOMPARE(g.link.wsAddress(), QStringLiteral("10.1.2.3"));
    QCOMPARE(g.link.wsPort(), QStringLiteral("5000"));
    QVERIFY(!g.link.isOpen());
    QVERIFY(g.reporter.errors().isEmpty());
}

void TestCommSetup::restoreStopsAtValueThatDoesNotConvert()
{
    Fixture f;
    const QString section = QStringLiteral("frmCommSetup");
    f.storage.writeText(QStringLiteral("JvIPAddress1_Text"), QStringLiteral("10.9.8.7"), section);
    f.storage.writeText(QStringLiteral("rbEthernet_Checked"), QStringLiteral("TRUE"), section);
    f.storage.writeText(QStringLiteral("rgRS232_Checked"), QStringLiteral("FALSE"), section);
    f.storage.writeText(QStringLiteral("rgCommPort_ItemIndex"), QStringLiteral("abc"), section);
    f.storage.writeText(QStringLiteral("jvedPort_Text"), QStringLiteral("5000"), section);
    f.create();
    QCOMPARE(f.reporter.errors().size(), 1);
    QVERIFY2(f.reporter.errors()[0].contains(QStringLiteral("rgCommPort_ItemIndex")),
             qPrintable(f.reporter.errors()[0]));
    // Read before the bad entry: restored. After it: unchanged.
    QCOMPARE(f.JvIPAddress1()->text(), QStringLiteral("10.9.8.7"));
    QVERIFY(f.rbEthernet()->isChecked());
    QCOMPARE(f.jvedPort()->text(), QStringLiteral("4444"));
    // The restore ended, so nothing was applied: the link keeps its values.
    QCOMPARE(f.link.deviceLayer(), DeviceLayer::dlWin32);
    QCOMPARE(f.link.comNumber(), 7);
}

void TestCommSetup::restoresPlacement_data()
{
    QTest::addColumn<QString>("showCmd");
    QTest::addColumn<QString>("normPos");
    QTest::addColumn<QRect>("normal"); // empty: the bounds it was created with
    QTest::addColumn<bool>("maximized");

    QTest::addRow("normal at 40,50 300x200") << "1" << "40,50,340,250" << QRect(40, 50, 300, 200) << false;
    QTest::addRow("maximized keeps its normal bounds") << "3" << "40,50,340,250" << QRect(40, 50, 300, 200) << true;
    QTest::addRow("minimized comes back normal") << "2" << "40,50,340,250" << QRect(40, 50, 300, 200) << false;
    QTest::addRow("right not beyond left: bounds unchanged") << "1" << "340,50,40,250" << QRect() << false;
    QTest::addRow("three numbers: bounds unchanged") << "1" << "40,50,340" << QRect() << false;
    QTest::addRow("a word: bounds unchanged") << "1" << "40,top,340,250" << QRect() << false;
}

void TestCommSetup::restoresPlacement()
{
    QFETCH(QString, showCmd);
    QFETCH(QString, normPos);
    QFETCH(QRect, normal);
    QFETCH(bool, maximized);

    Fixture f;
    const QString section = QStringLiteral("frmCommSetup");
    f.storage.writeText(QStringLiteral("ShowCmd"), showCmd, section);
    f.storage.writeText(QStringLiteral("NormPos"), normPos, section);
    f.create();
    QVERIFY(f.reporter.errors().isEmpty());
    QCOMPARE(f.dialog->isMaximized(), maximized);
    const QRect bounds = maximized ? f.dialog->normalGeometry() : f.dialog->geometry();
    if (normal.isEmpty())
        QCOMPARE(bounds.size(), QSize(346, 310));
    else
        QCOMPARE(bounds, normal);
}

void TestCommSetup::convertsAddressToNumber_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<qint32>("address");
    QTest::addRow("preset") << "192.168.1.200" << qint32(-1062731320);
    QTest::addRow("first octet high") << "10.1.2.3" << qint32(167838211);
    QTest::addRow("zero") << "0.0.0.0" << qint32(0);
    QTest::addRow("all ones is -1") << "255.255.255.255" << qint32(-1);
}

void TestCommSetup::convertsAddressToNumber()
{
    QFETCH(QString, text);
    QFETCH(qint32, address);
    IpAddressEdit edit;
    QVERIFY(edit.setAddressText(text));
    QCOMPARE(edit.address(), address);
    edit.setAddress(address);
    QCOMPARE(edit.text(), text);
    QVERIFY(!edit.setAddressText(QStringLiteral("256.1.1.1")));
    QCOMPARE(edit.text(), text);
}

QTEST_MAIN(TestCommSetup)
#include "tst_commsetup.moc"
