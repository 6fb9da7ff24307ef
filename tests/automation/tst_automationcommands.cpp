// The automation commands against a whole main window in-process: name
// lookup, the error guard around handlers run by name, answer escaping.
#include "mainwindowfixture.h"

#include "automation/automationcommands.h"
#include "link/trafficlog.h"

#include <QAction>
#include <QCoreApplication>
#include <QLabel>
#include <QMessageBox>
#include <QTest>

class TestAutomationCommands : public QObject
{
    Q_OBJECT

private slots:
    void namesResolve_data();
    void namesResolve();
    void sharedNameSuggestsAPathThatWorks();
    void invokedHandlerErrorIsReportedNotAnswered();
    void invokedPacketReachesTheDispatcher();
    void unnamedMessageBoxGoesByItsClass();
    void answersStayOnOneLine_data();
    void answersStayOnOneLine();

private:
    static void runPosted() { QCoreApplication::sendPostedEvents(); }
};

void TestAutomationCommands::namesResolve_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("answer");
    // The six-circuit panels hold buttons named btnRead too; the menu item is
    // nearer the window.
    QTest::addRow("menu item wins over deeper buttons") << "find btnRead" << "ok QAction";
    QTest::addRow("panel button by its path") << "find fm6Lights2/btnRead" << "ok QPushButton";
    QTest::addRow("LED inside a panel") << "find fmLightBoard5/l84" << "ok LedIndicator";
    QTest::addRow("path through a container") << "find fmLightBoard5/Panel1/cb8" << "ok QCheckBox";
    QTest::addRow("name that lies outside the container") << "find fmLightBoard5/ComboBox1"
                                                          << "error no object named \"fmLightBoard5/ComboBox1\"";
    QTest::addRow("empty path segment") << "find fmLightBoard5//cb1" << "error \"fmLightBoard5//cb1\" is not a name";
    QTest::addRow("dialog under the window") << "find frmCommSetup/jvedPort" << "ok QLineEdit";
    QTest::addRow("Qt's own slots are not handlers") << "invoke Form1 deleteLater"
                                                    << "error \"Form1\" has no public slot \"deleteLater\" taking 0 argument(s)";
    QTest::addRow("a control inside the window is no window") << "close ComboBox1"
                                                              << "error \"ComboBox1\" is not a window";
    QTest::addRow("caption of a panel's board box") << "text fmLightBoard3/CheckBox1" << "ok 燈光機板3(3)";
}

void TestAutomationCommands::namesResolve()
{
    QFETCH(QString, command);
    QFETCH(QString, answer);
    MainWindowFixture fixture;
    AutomationCommands commands(fixture.form(), fixture.errors);
    QCOMPARE(commands.run(command), answer);
}

void TestAutomationCommands::sharedNameSuggestsAPathThatWorks()
{
    MainWindowFixture fixture;
    AutomationCommands commands(fixture.form(), fixture.errors);
    const QString answer = commands.run(QStringLiteral("find lb1"));
    const QString marker = QStringLiteral("e.g. ");
    QVERIFY2(answer.startsWith(QStringLiteral("error \"lb1\" names ")), qPrintable(answer));
    const QString suggestion = answer.mid(answer.indexOf(marker) + marker.size());
    QVERIFY2(suggestion.startsWith(QStringLiteral("fmLightBoard")), qPrintable(answer));
    QCOMPARE(commands.run(QStringLiteral("find ") + suggestion), QStringLiteral("ok QLabel"));
}

void TestAutomationCommands::invokedHandlerErrorIsReportedNotAnswered()
{
    MainWindowFixture fixture;
    AutomationCommands commands(fixture.form(), fixture.errors);
    fixture.setBoardPresent(1, true);
    fixture.userSelectKey(0);
    fixture.transport->failOpenWith = QStringLiteral("port busy");
    // The answer comes before the handler runs; its error goes where a user's
    // would, and the handler's restore steps still run.
    QCOMPARE(commands.run(QStringLiteral("invoke Form1 btnReadClick")), QStringLiteral("ok"));
    QVERIFY(fixture.errors.errors().isEmpty());
    runPosted();
    QCOMPARE(fixture.errors.errors(), QStringList{QStringLiteral("port busy")});
    QCOMPARE(commands.run(QStringLiteral("enabled btnRead")), QStringLiteral("ok true"));
    QCOMPARE(commands.run(QStringLiteral("find Form1")), QStringLiteral("ok TForm1"));
}

void TestAutomationCommands::invokedPacketReachesTheDispatcher()
{
    MainWindowFixture fixture;
    AutomationCommands commands(fixture.form(), fixture.errors);
    const int before = fixture.form().trafficLog().lineCount();
    // A board's Modbus answer to a write, given as hex of its text.
    const QByteArray reply = ":011000010004EA\r\n";
    QCOMPARE(commands.run(QStringLiteral("invoke Form1 ApdDataPacket3StringPacket ")
                          + QString::fromLatin1(reply.toHex())),
             QStringLiteral("ok"));
    runPosted();
    QVERIFY(fixture.errors.errors().isEmpty());
    QCOMPARE(fixture.form().trafficLog().lineCount(), before + 1);
    QVERIFY2(fixture.form().trafficLog().line(before).contains(QStringLiteral("011000010004EA")),
             qPrintable(fixture.form().trafficLog().line(before)));
}

void TestAutomationCommands::unnamedMessageBoxGoesByItsClass()
{
    MainWindowFixture fixture;
    AutomationCommands commands(fixture.form(), fixture.errors);
    QCOMPARE(commands.run(QStringLiteral("find QMessageBox")), QStringLiteral("error no object named \"QMessageBox\""));
    QMessageBox box(QMessageBox::Critical, QStringLiteral("kvt"), QStringLiteral("port busy"));
    box.show();
    QCOMPARE(commands.run(QStringLiteral("text QMessageBox")), QStringLiteral("ok port busy"));
    QCOMPARE(commands.run(QStringLiteral("close QMessageBox")), QStringLiteral("ok"));
    QVERIFY(!box.isVisible());
}

void TestAutomationCommands::answersStayOnOneLine_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("answer");
    QTest::addRow("plain") << "201" << "ok 201";
    QTest::addRow("line ends") << "a\r\nb" << "ok a\\r\\nb";
    QTest::addRow("backslash before n") << "C:\\new" << "ok C:\\\\new";
}

void TestAutomationCommands::answersStayOnOneLine()
{
    QFETCH(QString, text);
    QFETCH(QString, answer);
    MainWindowFixture fixture;
    AutomationCommands commands(fixture.form(), fixture.errors);
    fixture.find<QLabel>(QStringLiteral("Label2"))->setText(text);
    QCOMPARE(commands.run(QStringLiteral("text Label2")), answer);
}

QTEST_MAIN(TestAutomationCommands)
#include "tst_automationcommands.moc"
