#pragma once

#include <QDialog>
#include <memory>
#include <vector>

class DeviceLink;
class ErrorReporter;
class FormSection;
class IpAddressEdit;
class OnOffSwitch;
class QLineEdit;
class QRadioButton;
class QStackedWidget;
class RadioGroup;
class SceneFileStorage;
struct StoredProperty;

// The connection setup dialog "通訊設定": serial (COM 1-12) or a TCP gateway,
// and the switch that opens and closes the link. It shows and edits the
// choice; every change goes to the link at once (DeviceLink::apply), there is
// no OK or Cancel. Its choices and its window placement are stored properties
// of the form section "frmCommSetup": restored when it is created, stored
// whenever it closes.
class TfrmCommSetup : public QDialog
{
    Q_OBJECT
public:
    static constexpr const char *kFormSection = "frmCommSetup";
    static constexpr const char *kDefaultAddress = "192.168.1.200";

    // Restores and applies at once (FormCreate); the dialog starts hidden.
    TfrmCommSetup(DeviceLink &link, SceneFileStorage &storage, ErrorReporter &reporter,
                  QWidget *parent = nullptr);
    ~TfrmCommSetup() override;

public slots:
    void FormCreate();
    void FormActivate();
    void FormClose();
    void rgRS232Click();
    void rbEthernetClick();
    void rgCommPortClick();
    void JvIPAddress1Exit();
    void JvSwitch1Click();
    void JvFormStorage1AfterRestorePlacement();
    // Puts the dialog's choice into the link; the switch then shows the link.
    void ApplyLinkSettings();

    // The stored values and the window placement, into / from the scene image.
    void SaveFormSection();
    void RestoreFormSection();

protected:
    void showEvent(QShowEvent *event) override;
    bool event(QEvent *event) override;
    void done(int result) override;

private:
    void buildControls();
    std::vector<StoredProperty> storedProperties();

    DeviceLink &m_link;
    SceneFileStorage &m_storage;
    ErrorReporter &m_reporter;
    std::unique_ptr<FormSection> m_form;

    QRadioButton *m_rgRS232;
    QRadioButton *m_rbEthernet;
    OnOffSwitch *m_JvSwitch1;
    QStackedWidget *m_Notebook1;
    RadioGroup *m_rgCommPort;
    IpAddressEdit *m_JvIPAddress1;
    QLineEdit *m_jvedPort;
};
