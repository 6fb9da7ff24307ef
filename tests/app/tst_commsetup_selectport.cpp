#include "app/selectportdialog.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

class TestSelectPort : public QObject
{
    Q_OBJECT
private slots:
    void showsPortsAndTexts();
    void answers_data();
    void answers();
};

void TestSelectPort::showsPortsAndTexts()
{
    SelectPortDialog dialog({1, 3, 12});
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Select Port"));
    QCOMPARE(dialog.findChild<QLabel *>(QStringLiteral("lbLine1"))->text(),
             QStringLiteral("The configured serial port is not valid."));
    QCOMPARE(dialog.findChild<QLabel *>(QStringLiteral("lbLine2"))->text(),
             QStringLiteral("Please choose another port."));
    auto *ports = dialog.findChild<QComboBox *>(QStringLiteral("cbPorts"));
    QStringList entries;
    for (int i = 0; i < ports->count(); ++i)
        entries << ports->itemText(i);
    QCOMPARE(entries, (QStringList{"COM1", "COM3", "COM12"}));
    QCOMPARE(ports->currentIndex(), 0);
    QCOMPARE(dialog.selectedPort(), 1);
    ports->setCurrentIndex(2);
    QCOMPARE(dialog.selectedPort(), 12);
    QCOMPARE(dialog.findChild<QPushButton *>(QStringLiteral("btnOK"))->text(), QStringLiteral("OK"));
    QCOMPARE(dialog.findChild<QPushButton *>(QStringLiteral("btnCancel"))->text(), QStringLiteral("Cancel"));
}

void TestSelectPort::answers_data()
{
    QTest::addColumn<QList<int>>("ports");
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("pick"); // entry index to select before the button
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<int>("comNumber");

    QTest::addRow("OK on the preselected entry") << QList<int>{2, 7} << "btnOK" << -1 << true << 2;
    QTest::addRow("OK on the second entry") << QList<int>{2, 7} << "btnOK" << 1 << true << 7;
    QTest::addRow("Cancel") << QList<int>{2, 7} << "btnCancel" << -1 << false << 0;
    QTest::addRow("OK on an empty list") << QList<int>{} << "btnOK" << -1 << true << 0;
}

// The modal dialog runs for real; a timer plays the user.
void TestSelectPort::answers()
{
    QFETCH(QList<int>, ports);
    QFETCH(QString, button);
    QFETCH(int, pick);
    QFETCH(bool, accepted);
    QFETCH(int, comNumber);
    QTimer::singleShot(0, [&] {
        auto *dialog = qobject_cast<SelectPortDialog *>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        if (pick >= 0)
            dialog->findChild<QComboBox *>(QStringLiteral("cbPorts"))->setCurrentIndex(pick);
        dialog->findChild<QPushButton *>(button)->click();
    });
    DialogPortChooser chooser;
    const PortChooser::Choice choice = chooser.choosePort(ports);
    QCOMPARE(choice.accepted, accepted);
    QCOMPARE(choice.comNumber, comNumber);
}

QTEST_MAIN(TestSelectPort)
#include "tst_commsetup_selectport.moc"
