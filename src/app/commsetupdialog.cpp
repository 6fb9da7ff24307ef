#include "app/commsetupdialog.h"

#include "app/ipaddressedit.h"
#include "app/onoffswitch.h"
#include "app/radiogroup.h"
#include "link/devicelink.h"
#include "link/errorreporter.h"
#include "scenes/scenefilestorage.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace {

constexpr int kWidth = 346;
constexpr int kHeight = 310;
constexpr int kPortCount = 12;
// Window show states as the settings file keeps them.
constexpr int kShowNormal = 1;
constexpr int kShowMinimized = 2;
constexpr int kShowMaximized = 3;

// Sets a radio button of a pair without the pair forcing its partner.
void SetRadioChecked(QRadioButton *button, bool checked)
{
    const bool exclusive = button->autoExclusive();
    button->setAutoExclusive(false);
    button->setChecked(checked);
    button->setAutoExclusive(exclusive);
}

} // namespace

TfrmCommSetup::TfrmCommSetup(DeviceLink &link, SceneFileStorage &storage, ErrorReporter &reporter,
                             QWidget *parent)
    : QDialog(parent), m_link(link), m_storage(storage), m_reporter(reporter)
{
    setObjectName(QString::fromLatin1(kFormSection));
    setWindowTitle(QStringLiteral("通訊設定"));
    resize(kWidth, kHeight);
    buildControls();
    FormCreate();
}

void TfrmCommSetup::buildControls()
{
    auto *layout = new QVBoxLayout(this);

    // The strip above the pages.
    auto *strip = new QHBoxLayout;
    m_rgRS232 = new QRadioButton(QStringLiteral("串列"), this);
    m_rgRS232->setObjectName(QStringLiteral("rgRS232"));
    m_rgRS232->setChecked(true);
    m_rbEthernet = new QRadioButton(QStringLiteral("網路"), this);
    m_rbEthernet->setObjectName(QStringLiteral("rbEthernet"));
    m_JvSwitch1 = new OnOffSwitch(this);
    m_JvSwitch1->setObjectName(QStringLiteral("JvSwitch1"));
    strip->addWidget(m_rgRS232);
    strip->addWidget(m_rbEthernet);
    strip->addStretch();
    strip->addWidget(m_JvSwitch1);
    layout->addLayout(strip);

    m_Notebook1 = new QStackedWidget(this);
    m_Notebook1->setObjectName(QStringLiteral("Notebook1"));

    auto *rs232 = new QWidget(m_Notebook1);
    rs232->setObjectName(QStringLiteral("rs232"));
    auto *rs232Layout = new QVBoxLayout(rs232);
    QStringList items;
    for (int n = 1; n <= kPortCount; ++n)
        items << QString::number(n);
    m_rgCommPort = new RadioGroup(QStringLiteral(" Comm Port "), items, 3, rs232);
    m_rgCommPort->setObjectName(QStringLiteral("rgCommPort"));
    m_rgCommPort->setItemIndex(-1);
    rs232Layout->addWidget(m_rgCommPort);

    auto *ethernet = new QWidget(m_Notebook1);
    ethernet->setObjectName(QStringLiteral("ethernet"));
    auto *ethernetLayout = new QVBoxLayout(ethernet);
    m_JvIPAddress1 = new IpAddressEdit(ethernet);
    m_JvIPAddress1->setObjectName(QStringLiteral("JvIPAddress1"));
    m_JvIPAddress1->setText(QString::fromLatin1(kDefaultAddress));
    m_jvedPort = new QLineEdit(QStringLiteral("4444"), ethernet);
    m_jvedPort->setObjectName(QStringLiteral("jvedPort"));
    m_jvedPort->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,5}")), m_jvedPort));
    ethernetLayout->addWidget(m_JvIPAddress1);
    ethernetLayout->addWidget(m_jvedPort);
    ethernetLayout->addStretch();

    m_Notebook1->addWidget(rs232);
    m_Notebook1->addWidget(ethernet);
    m_Notebook1->setCurrentIndex(1);
    layout->addWidget(m_Notebook1);

    connect(m_rgRS232, &QRadioButton::clicked, this, &TfrmCommSetup::rgRS232Click);
    connect(m_rbEthernet, &QRadioButton::clicked, this, &TfrmCommSetup::rbEthernetClick);
    connect(m_rgCommPort, &RadioGroup::itemClicked, this, &TfrmCommSetup::rgCommPortClick);
    connect(m_JvIPAddress1, &IpAddressEdit::exited, this, &TfrmCommSetup::JvIPAddress1Exit);
    connect(m_JvSwitch1, &OnOffSwitch::clicked, this, &TfrmCommSetup::JvSwitch1Click);
}

void TfrmCommSetup::FormCreate()
{
    // A stored value that does not convert ends the restore with its message;
    // the settings are then not applied.
    RunGuarded(m_reporter, [this] {
        RestoreFormSection();
        JvFormStorage1AfterRestorePlacement();
    });
}

void TfrmCommSetup::JvFormStorage1AfterRestorePlacement()
{
    ApplyLinkSettings();
}

void TfrmCommSetup::FormActivate()
{
    m_JvSwitch1->setChecked(m_link.isOpen());
}

void TfrmCommSetup::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    FormActivate();
}

bool TfrmCommSetup::event(QEvent *event)
{
    if (event->type() == QEvent::WindowActivate)
        FormActivate();
    return QDialog::event(event);
}

void TfrmCommSetup::done(int result)
{
    FormClose();
    QDialog::done(result);
}

void TfrmCommSetup::FormClose()
{
    RunGuarded(m_reporter, [this] { SaveFormSection(); });
}

void TfrmCommSetup::rgRS232Click()
{
    m_Notebook1->setCurrentIndex(0);
    ApplyLinkSettings();
}

void TfrmCommSetup::rbEthernetClick()
{
    m_Notebook1->setCurrentIndex(1);
    ApplyLinkSettings();
}

void TfrmCommSetup::rgCommPortClick()
{
    ApplyLinkSettings();
}

void TfrmCommSetup::JvIPAddress1Exit()
{
    ApplyLinkSettings();
}

void TfrmCommSetup::JvSwitch1Click()
{
    // The switch has already changed; a failure leaves it showing the wish
    // until the dialog is activated again.
    const bool wanted = m_JvSwitch1->isChecked();
    RunGuarded(m_reporter, [&] { m_link.setOpen(wanted); });
}

// 1. remember whether the link is open; 2. close it; 3. serial: COM number =
// selected entry + 1 (0 with none, so the next opening asks for a port);
// network: address and port from the fields, and the link stays closed;
// 4. whatever happened in 2-3, open the link again if it was open and show
// its state on the switch. A failed reopening is reported and leaves the
// switch as it was.
void TfrmCommSetup::ApplyLinkSettings()
{
    bool wasOpen = m_link.isOpen();
    RunGuarded(m_reporter, [&] {
        m_link.setOpen(false);
        if (m_rgRS232->isChecked()) {
            m_link.setDeviceLayer(DeviceLayer::dlWin32);
            m_link.setComNumber(m_rgCommPort->itemIndex() + 1);
        } else {
            m_link.setDeviceLayer(DeviceLayer::dlWinsock);
            m_link.setWsAddress(m_JvIPAddress1->text());
            m_link.setWsPort(m_jvedPort->text());
            wasOpen = false;
        }
    });
    if (RunGuarded(m_reporter, [&] { m_link.setOpen(wasOpen); }))
        m_JvSwitch1->setChecked(m_link.isOpen());
}

void TfrmCommSetup::SaveFormSection()
{
    const QString section = QString::fromLatin1(kFormSection);
    m_storage.writeInteger(QStringLiteral("FormVersion"), 0, section);
    savePlacement();
    m_storage.writeText(QStringLiteral("JvIPAddress1_Text"), m_JvIPAddress1->text(), section);
    m_storage.writeBool(QStringLiteral("rgRS232_Checked"), m_rgRS232->isChecked(), section);
    m_storage.writeBool(QStringLiteral("rbEthernet_Checked"), m_rbEthernet->isChecked(), section);
    m_storage.writeInteger(QStringLiteral("Notebook1_PageIndex"), m_Notebook1->currentIndex(), section);
    m_storage.writeInteger(QStringLiteral("rgCommPort_ItemIndex"), m_rgCommPort->itemIndex(), section);
    m_storage.writeText(QStringLiteral("jvedPort_Text"), m_jvedPort->text(), section);
    m_storage.writeInteger(QStringLiteral("JvIPAddress1_Address"), m_JvIPAddress1->address(), section);
}

// Missing entries leave their control as it is; a value that does not
// convert raises and ends the restore there.
void TfrmCommSetup::RestoreFormSection()
{
    const QString section = QString::fromLatin1(kFormSection);
    if (m_storage.readInteger(QStringLiteral("FormVersion"), 0, section) < 0)
        return;
    restorePlacement();
    const QString text = m_storage.readText(QStringLiteral("JvIPAddress1_Text"), m_JvIPAddress1->text(), section);
    m_JvIPAddress1->setAddressText(text);
    SetRadioChecked(m_rgRS232, m_storage.readBool(QStringLiteral("rgRS232_Checked"), m_rgRS232->isChecked(), section));
    SetRadioChecked(m_rbEthernet,
                    m_storage.readBool(QStringLiteral("rbEthernet_Checked"), m_rbEthernet->isChecked(), section));
    const int page = m_storage.readInteger(QStringLiteral("Notebook1_PageIndex"), m_Notebook1->currentIndex(), section);
    if (page >= 0 && page < m_Notebook1->count())
        m_Notebook1->setCurrentIndex(page);
    m_rgCommPort->setItemIndex(
        m_storage.readInteger(QStringLiteral("rgCommPort_ItemIndex"), m_rgCommPort->itemIndex(), section));
    m_jvedPort->setText(m_storage.readText(QStringLiteral("jvedPort_Text"), m_jvedPort->text(), section));
    if (m_storage.hasEntry(QStringLiteral("JvIPAddress1_Address"), section))
        m_JvIPAddress1->setAddress(m_storage.readInteger(QStringLiteral("JvIPAddress1_Address"), 0, section));
}

void TfrmCommSetup::savePlacement()
{
    const QString section = QString::fromLatin1(kFormSection);
    int showCmd = kShowNormal;
    if (isMaximized())
        showCmd = kShowMaximized;
    else if (isMinimized())
        showCmd = kShowMinimized;
    const QRect bounds = isMaximized() || isMinimized() ? normalGeometry() : geometry();
    m_storage.writeInteger(QStringLiteral("ShowCmd"), showCmd, section);
    m_storage.writeInteger(QStringLiteral("Flags"), 0, section);
    m_storage.writeInteger(QStringLiteral("PixelsPerInch"), logicalDpiY(), section);
    m_storage.writeText(QStringLiteral("MinMaxPos"), QStringLiteral("-1,-1,-1,-1"), section);
    m_storage.writeText(QStringLiteral("NormPos"),
                        QStringLiteral("%1,%2,%3,%4")
                            .arg(bounds.left())
                            .arg(bounds.top())
                            .arg(bounds.left() + bounds.width())
                            .arg(bounds.top() + bounds.height()),
                        section);
}

void TfrmCommSetup::restorePlacement()
{
    const QString section = QString::fromLatin1(kFormSection);
    const int showCmd = m_storage.readInteger(QStringLiteral("ShowCmd"), kShowNormal, section);
    m_storage.readInteger(QStringLiteral("Flags"), 0, section);
    m_storage.readInteger(QStringLiteral("PixelsPerInch"), 0, section);
    const QStringList bounds = m_storage.readText(QStringLiteral("NormPos"), QString(), section).split(QLatin1Char(','));
    if (bounds.size() == 4) {
        bool ok[4];
        const int left = bounds[0].trimmed().toInt(&ok[0]);
        const int top = bounds[1].trimmed().toInt(&ok[1]);
        const int right = bounds[2].trimmed().toInt(&ok[2]);
        const int bottom = bounds[3].trimmed().toInt(&ok[3]);
        if (ok[0] && ok[1] && ok[2] && ok[3] && right > left && bottom > top)
            setGeometry(left, top, right - left, bottom - top);
    }
    setWindowState(showCmd == kShowMaximized ? Qt::WindowMaximized : Qt::WindowNoState);
}
