#pragma once

#include "i18n/LanguageTable.h"

#include <QIdentityProxyModel>

// The provisioning result table as the window shows it: every cell as the result model gives it,
// and a row that failed marked twice, so colour is not the only sign: its cells on a light red
// background, and its row header reading "3 Failed" (in the user's language) where the others read
// their number.
class ProvisionRowMarks : public QIdentityProxyModel
{
    Q_OBJECT
public:
    explicit ProvisionRowMarks(QObject *parent = nullptr);

    void setLanguage(Language language);

    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // The row has run and failed.
    bool isFailed(int row) const;

private:
    void refreshRowHeaders(int first, int last);

    Language m_language = Language::English;
};
