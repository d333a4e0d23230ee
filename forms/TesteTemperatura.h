#pragma once
// The main window: pages "Medições" and "Testes", the main menu, the status
// bar, the two timers. It owns the controls and forwards their events to the
// logic in the libraries; it is also the window side of the reply parser.

#include "core/SharedState.h"
#include "link/protocol.h"

#include <QMainWindow>
#include <QTimer>

class QAction;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QProgressBar;
class QTabWidget;
class QTreeWidget;
class QWidget;

class TForm1 : public QMainWindow, public ReplySink {
    Q_OBJECT
public:
    explicit TForm1(QWidget *parent = nullptr);
    ~TForm1() override;

    // Creates the main window, stores it in Form1 and shows it.
    static TForm1 *createMainWindow();

    // Status bar panel texts (0 port, 1 link, 2 activity).
    QString statusText(int panel) const;

    // The reply parser's entry: one received byte.
    void ComTerminal1Char(QObject *sender, char ch);

    // ReplySink
    void setStatusText(int panel, const QString &text) override;
    void setMaxMinLabel(int labelNumber, const QString &text) override;
    void setMemoryMaximum(int value) override;
    void setMemoryPosition(int value) override;
    bool calibrationDialogVisible() override;
    void setCalibrationReading(int editNumber, const QString &text) override;
    void checkSampleUnit(bool seconds) override;
    void setSampleInterval(const QString &text) override;
    void setViewerCell(int row, int column, const QString &text) override;
    void addChartPoint(int series, double x, double y) override;
    void setViewerRecordCount(const QString &text) override;
    void showMessage(const QString &text, const QString &caption) override;

    // Controls, named as the operator's manual and the tests know them.
    QTabWidget *PageControl1 = nullptr;
    QWidget *TabSheet1 = nullptr; // "Medições"
    QWidget *TabSheet3 = nullptr; // "Testes"
    QWidget *Panel1 = nullptr;
    QLabel *Label6 = nullptr, *Label7 = nullptr, *Label8 = nullptr;
    QLabel *Label9 = nullptr, *Label10 = nullptr, *Label11 = nullptr;
    QTreeWidget *TreeView1 = nullptr;
    QLineEdit *Edit2 = nullptr;
    QProgressBar *ProgressBar1 = nullptr;
    QLabel *Image2 = nullptr, *Image4 = nullptr;

    QMenu *Arquivo1 = nullptr, *Opes1 = nullptr, *Unidade1 = nullptr;
    QMenu *Comunicao1 = nullptr, *PortaSerial1 = nullptr;
    QAction *Carregarteste1 = nullptr, *Senhas1 = nullptr, *Sair1 = nullptr;
    QAction *AjustarRelgio1 = nullptr, *oC1 = nullptr, *oF1 = nullptr, *A1 = nullptr;
    QAction *LerTestes1 = nullptr, *Apagarmemria1 = nullptr, *ZerarOFFSET1 = nullptr;
    QAction *AjustarOFFSET1 = nullptr;
    QAction *Comm11 = nullptr, *Comm21 = nullptr, *Comm31 = nullptr, *Comm41 = nullptr;
    QAction *Procurar1 = nullptr, *Desconectar1 = nullptr;

    QTimer Timer1; // polling scheduler
    QTimer Timer2; // port search

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void buildMenu();
    void buildMeasurementsPage();
    void buildTestsPage();
    void buildStatusBar();
    void FormCreate();
    void FormClose();
    QLabel *maxMinLabel(int labelNumber) const;

    SharedState &state;
    ReplyParser parser;
    QLabel *statusPanels[3] = {};
};
