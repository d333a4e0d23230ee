#pragma once
// The window of "Baixar todos" and "Continuar download": what is being done,
// the overall progress (test n of m) and the current test's records, a
// "Cancelar" button while a flow runs, and the summary at the end, when the
// button turns into "Fechar". Not modal: the main window stays usable (its
// tree and gauge follow the list read).

#include "control/LibraryDownloadView.h"

#include <QDialog>

#include <functional>

class QLabel;
class QProgressBar;
class QPushButton;

class LibraryProgress : public QDialog, public LibraryDownloadView {
    Q_OBJECT
public:
    explicit LibraryProgress(QWidget *parent);

    // Shows the window for a new flow; "Cancelar" runs cancel.
    void begin(const QString &title, std::function<void()> cancel);

    void showActivity(const QString &text) override;
    void showTest(int testNumber, int done, int total) override;
    void showRecords(int records, int recordCount) override;
    void downloadsEnded(const QString &summary, bool whole) override;

    QString activityText() const;
    bool running() const { return bool(cancel); }

protected:
    void reject() override; // Esc and the close button cancel a running flow first

private:
    QLabel *activity;
    QProgressBar *overall;
    QLabel *testLabel;
    QProgressBar *records;
    QPushButton *button;
    std::function<void()> cancel;
    int shownTest = 0;
};
