#pragma once

#include "i18n/LanguageTable.h"

#include <QFrame>

class ProvisionRowMarks;
class QAbstractItemModel;
class QFileDialog;
class QLabel;
class QProgressBar;
class QPushButton;
class QTableView;

// The provisioning part of the tag settings panel (`pnlProvision`): "Provision from file..."
// (`btnProvision`), "Retry failed" (`btnRetryFailed`) and "Save result..." (`btnSaveProvision`);
// once a plan is loaded, the progress bar `pbProvision` (rows done / total), the summary line
// `lblProvision` and the result table `grdProvision` (failed rows marked by colour and by their row
// header's text). The plan and the result file are chosen in
// file dialogs that leave the event loop running (`dlgOpenPlan`, `dlgSaveProvision`). The panel
// shows what it is given and says what the user asked for.
class ProvisionPanel : public QFrame
{
    Q_OBJECT
public:
    explicit ProvisionPanel(QWidget *parent = nullptr);

    void setModel(QAbstractItemModel *model);
    void setLanguage(Language language);
    // Which buttons are offered.
    void setActions(bool canStart, bool canRetry, bool canSave);
    // The progress bar, the summary line and the table shown.
    void showProgress(int done, int total);
    void showSummary(const QString &text);
    QString summary() const;
    // The table shows plan row `row`.
    void followRow(int row);
    // The save dialog, opened on `suggestedPath`.
    void askResultFile(const QString &suggestedPath);

signals:
    void planChosen(const QString &path);
    void retryRequested();
    void resultFileChosen(const QString &path);
    // "Save result...": the owner answers with askResultFile().
    void saveRequested();

private:
    QTableView *buildTable();
    void askPlanFile();
    QFileDialog *makeDialog(const char *name, bool save);
    void showResults();

    Language m_language = Language::English;
    QPushButton *m_btnProvision = nullptr;
    QPushButton *m_btnRetryFailed = nullptr;
    QPushButton *m_btnSaveProvision = nullptr;
    QProgressBar *m_pbProvision = nullptr;
    QLabel *m_lblProvision = nullptr;
    QTableView *m_grdProvision = nullptr;
    ProvisionRowMarks *m_marks = nullptr; // the result model with its failed rows marked
    QFileDialog *m_planDialog = nullptr;
    QFileDialog *m_resultDialog = nullptr;
};
