#pragma once
// The main window: pages "Medições" and "Testes", the main menu and the status
// bar. It owns the controls and forwards their events to the logic in the
// libraries; the link to the meter (port, terminal, parser, scheduler, port
// selection, Timer1 and Timer2) is its meter session's, and the window is
// the session's one view. The viewer and the dialogs are reached through their
// window slots (forms/Forms.h), commands through the session's scheduler.

#include "control/MeterSession.h"
#include "control/MeterView.h"
#include "control/ProtectedCommands.h"
#include "control/Session.h"
#include "core/Settings.h"
#include "core/SharedState.h"

#include <QDeadlineTimer>
#include <QHash>
#include <QMainWindow>

#include <memory>

class CommandSender;
class LibraryDownloads;

class QAction;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QProgressBar;
class QPushButton;
class QTabWidget;
class QTreeWidget;
class QWidget;
class TVrLabel;
class TVrProgressBar;
class TvrThermoMeter;

class TForm1 : public QMainWindow, public MeterView {
    Q_OBJECT
public:
    // The port uses the operating system's serial devices unless a platform
    // is given (tests).
    explicit TForm1(QWidget *parent = nullptr, std::shared_ptr<ComPlatform> platform = {});
    ~TForm1() override;

    // Creates the main window, stores it in Form1 and shows it.
    static TForm1 *createMainWindow();

    // Status bar panel texts (0 port, 1 link, 2 activity).
    QString statusText(StatusPanel panel) const override;
    QString statusText(int panel) const { return statusText(StatusPanel(panel)); }

    // The link to the meter: ComPort1 is session().port(), ComTerminal1
    // session().terminal(), Timer1 and Timer2 its poll and search timers.
    MeterSession &session() { return meter; }

    // The one road by which dialogs and menu commands send to the meter: the
    // port selection, which writes nothing while the port is closed.
    CommandSender &commandSender();

    // The reply parser's entry: one received byte.
    void ComTerminal1Char(QObject *sender, char ch);

    // Timer1's tick: live polling, the sequence step, the display refresh.
    void Timer1Timer();
    // Timer2's tick: the next step of the port search.
    void Timer2Timer();
    void Procurar1Click();
    void Desconectar1Click();
    void CommClick(int k); // Comm11Click .. Comm41Click
    void ComPort1AfterOpen();
    void ComPort1AfterClose();

    // Menu commands
    void Senhas1Click();
    void LerTestes1Click();
    // Double-click on the test tree: a new viewer and the download of the
    // selected test into it; nothing when no node is selected.
    void TreeView1DblClick();
    void Apagarmemria1Click();
    // "Cancelar" (Esc) on the "Testes" page: stops a test-list read with the
    // tests read so far.
    void CancelarLeituraClick();
    void ZerarOFFSET1Click();
    void AjustarRelgio1Click(); // "Ajustar Relógio" (F3): the meter's clock from the computer's
    void A1Click();             // "Taxa de amostragem" (F4): a new sample-rate dialog
    void AjustarOFFSET1Click(); // "Calibrar": maintenance password, then a new calibration dialog
    void oC1Click();
    void oF1Click();
    // "Carregar teste" (Ctrl+L): an empty viewer, the open dialog, the file.
    void Carregar1Click();
    // A test file named on the command line, opened as "Carregar teste" opens
    // the chosen file; a file that cannot be opened goes to the default error
    // report and no viewer stays open.
    void openTestFileAtStart(const QString &path);

private:
    // StatusSink (for the parser, the scheduler and the port selection, through the session)
    void setStatusText(StatusPanel panel, const QString &text) override;

    // MainWindowSink
    void setMaxMinLabel(MaxMinLabel label, const QString &text) override;
    void setMemoryMaximum(int value) override;
    void setMemoryPosition(int value) override;
    // The meter's confirmations ("Relógio ajustado."): a modal box that does
    // not hold up the caller (the parser). One box of a kind at a time; one
    // that arrives while it is open, or within noticeQuietMs of its closing,
    // is not shown, so that a line full of noise cannot keep the window
    // behind boxes and the operator can always close it.
    void showMessage(const QString &text, const QString &caption) override;
    static constexpr int noticeQuietMs = 2000;

    // MeterView
    bool liveReadingsPageShown() override;
    void setOptionsMenuEnabled(bool enabled) override;
    void clearTestTree() override;
    void showTestCount(int count) override;
    void addTestNode(const QString &text) override;
    void setDownloadProgress(int maximum, int position) override;
    void setDownloadPosition(int position) override;
    void setUnitMenuEnabled(bool enabled) override;
    void postStep(QObject *context, std::function<void()> work) override;
    void runTimerWork(const std::function<void()> &work) override;
    void setPortChecked(int k) override;

    // SettingsUi
    void plainMessage(const QString &text) override;
    void errorReport(const QString &text) override;

    // LiveReadingsView
    void setValueLabel(ValueLabel label, const QString &text) override;
    void setGaugeValue(int gaugeNumber, double value) override;
    void setTestCountText(const QString &text) override;

    // Controls, named as the operator's manual knows them; each carries its
    // name as its object name (forms/ControlNames.h), so tests find it.
    QTabWidget *PageControl1 = nullptr;
    QWidget *TabSheet1 = nullptr; // "Medições"
    QWidget *TabSheet3 = nullptr; // "Testes"
    QWidget *Panel1 = nullptr;
    TvrThermoMeter *vrThermoMeter1 = nullptr, *vrThermoMeter2 = nullptr, *vrThermoMeter3 = nullptr;
    TVrLabel *VrLabel1 = nullptr, *VrLabel2 = nullptr, *VrLabel3 = nullptr; // wet, dry, globe
    TVrLabel *VrLabel6 = nullptr, *VrLabel10 = nullptr;                     // IBUTGi, IBUTGe
    TVrLabel *VrLabel4 = nullptr, *VrLabel5 = nullptr;                      // their captions
    TVrLabel *VrLabel7 = nullptr, *VrLabel8 = nullptr, *VrLabel9 = nullptr; // "UMIDO", "SECO", "GLOBO"
    TVrProgressBar *VrProgressBar1 = nullptr;
    QLabel *Label6 = nullptr, *Label7 = nullptr, *Label8 = nullptr;
    QLabel *Label9 = nullptr, *Label10 = nullptr, *Label11 = nullptr;
    QTreeWidget *TreeView1 = nullptr;
    QLineEdit *Edit2 = nullptr;
    QProgressBar *ProgressBar1 = nullptr;
    QPushButton *CancelarLeitura = nullptr;
    QLabel *Image2 = nullptr, *Image4 = nullptr;

    QMenu *Arquivo1 = nullptr, *Opes1 = nullptr, *Unidade1 = nullptr;
    QMenu *Comunicao1 = nullptr, *PortaSerial1 = nullptr;
    QAction *Carregarteste1 = nullptr, *Senhas1 = nullptr, *Sair1 = nullptr;
    QAction *AjustarRelgio1 = nullptr, *oC1 = nullptr, *oF1 = nullptr, *A1 = nullptr;
    QAction *LerTestes1 = nullptr, *Apagarmemria1 = nullptr, *ZerarOFFSET1 = nullptr;
    QAction *AjustarOFFSET1 = nullptr;
    QAction *Comm11 = nullptr, *Comm21 = nullptr, *Comm31 = nullptr, *Comm41 = nullptr;
    QAction *Procurar1 = nullptr, *Desconectar1 = nullptr;

protected:
    void closeEvent(QCloseEvent *event) override;
    // Menu shortcuts win over the focused control: a field that would keep
    // Ctrl+A or Ctrl+X for itself (the read-only "Realizados") lets them go.
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildMenu();
    void buildMeasurementsPage();
    void buildTestsPage();
    void buildStatusBar();
    void FormCreate();
    void FormClose();
    // Closes the calibration and sample-rate dialogs and the test viewer: they
    // have no parent, so they would keep the program running after the main
    // window, and would send through or be filled from this window's port
    // after it is gone.
    void closeDialogs();
    // A command's outcome in a box captioned "Aviso" (forms/Notice.h).
    Tell notice();
    QLabel *maxMinLabel(MaxMinLabel label) const;
    TVrLabel *valueLabel(ValueLabel label) const;
    TvrThermoMeter *gauge(int gaugeNumber) const;

    SharedState &state;
    MeterSession meter;
    LibraryDownloads *libraryDownloads; // "Baixar todos", the archived downloads, the safe erase
    SettingsSaver settingsSaver{*this};
    QLabel *statusPanels[3] = {};
    QHash<QString, QDeadlineTimer> noticesShut; // open (forever) or just closed, by caption and text
};
