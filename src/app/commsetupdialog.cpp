#include "app/commsetupdialog.h"

#include "app/ipaddressedit.h"
#include "app/onoffswitch.h"
#include "app/radiogroup.h"
#include "app/windowplacement.h"
#include "link/devicelink.h"
#include "link/errorreporter.h"
#include "scenes/formsection.h"
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
    m_form = std::make_unique<FormSection>(QString::fromLatin1(kFormSection), storedProperties());
    FormCreate();
}

TfrmCommSetup::~TfrmCommSetup() = default;

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

// The link closes, takes the choice and opens again when it was open on a
// serial line; a failed reopening is reported and leaves the switch as it was.
void TfrmCommSetup::ApplyLinkSettings()
{
    LinkSettings settings = m_link.settings();
    if (m_rgRS232->isChecked()) {
        settings.deviceLayer = DeviceLayer::dlWin32;
        // No entry chosen gives 0: the next opening asks for a port.
        settings.comNumber = m_rgCommPort->itemIndex() + 1;
    } else {
        settings.deviceLayer = DeviceLayer::dlWinsock;
        settings.wsAddress = m_JvIPAddress1->text();
        settings.wsPort = m_jvedPort->text();
    }
    if (RunGuarded(m_reporter, [&] { m_link.apply(settings); }))
        m_JvSwitch1->setChecked(m_link.isOpen());
}

// The window placement first, then the choices, in the order they are read
// and written.
std::vector<StoredProperty> TfrmCommSetup::storedProperties()
{
    using Kind = StoredProperty::Kind;
    IpAddressEdit *address = m_JvIPAddress1;
    QRadioButton *serial = m_rgRS232;
    QRadioButton *network = m_rbEthernet;
    QStackedWidget *book = m_Notebook1;
    RadioGroup *ports = m_rgCommPort;
    QLineEdit *port = m_jvedPort;
    std::vector<StoredProperty> properties = WindowPlacementProperties(*this);
    const std::vector<StoredProperty> choices{
        StoredProperty::text(QStringLiteral("JvIPAddress1.Text"), [address] { return address->text(); },
                             [address](const QString &text) { address->setAddressText(text); }),
        {QStringLiteral("rgRS232.Checked"), Kind::Boolean, [serial] { return int(serial->isChecked()); },
         [serial](int checked) { SetRadioChecked(serial, checked != 0); }},
        {QStringLiteral("rbEthernet.Checked"), Kind::Boolean, [network] { return int(network->isChecked()); },
         [network](int checked) { SetRadioChecked(network, checked != 0); }},
        {QStringLiteral("Notebook1.PageIndex"), Kind::Integer, [book] { return book->currentIndex(); },
         [book](int page) {
             if (page >= 0 && page < book->count())
                 book->setCurrentIndex(page);
         }},
        {QStringLiteral("rgCommPort.ItemIndex"), Kind::Integer, [ports] { return ports->itemIndex(); },
         [ports](int index) { ports->setItemIndex(index); }},
        StoredProperty::text(QStringLiteral("jvedPort.Text"), [port] { return port->text(); },
                             [port](const QString &text) { port->setText(text); }),
        {QStringLiteral("JvIPAddress1.Address"), Kind::Integer, [address] { return int(address->address()); },
         [address](int value) { address->setAddress(value); }},
    };
    properties.insert(properties.end(), choices.begin(), choices.end());
    return properties;
}

void TfrmCommSetup::SaveFormSection()
{
    m_form->save(m_storage);
}

// A missing entry leaves its control as it is; a value that does not convert
// raises and ends the restore there, the controls before it restored.
void TfrmCommSetup::RestoreFormSection()
{
    m_form->restoreInOrder(m_storage);
}
