#include "app/ProvisionRowMarks.h"

#include "tagcfg/ProvisioningResultModel.h"

#include <QColor>

namespace {
const QColor kFailedBackground(0xF8, 0xD7, 0xDA);
const QColor kFailedText(0x72, 0x1C, 0x24);
} // namespace

ProvisionRowMarks::ProvisionRowMarks(QObject *parent) : QIdentityProxyModel(parent)
{
    // A row's header follows its result.
    connect(this, &QAbstractItemModel::dataChanged, this,
            [this](const QModelIndex &topLeft, const QModelIndex &bottomRight) {
                refreshRowHeaders(topLeft.row(), bottomRight.row());
            });
}

void ProvisionRowMarks::setLanguage(Language language)
{
    m_language = language;
    refreshRowHeaders(0, rowCount() - 1);
}

void ProvisionRowMarks::refreshRowHeaders(int first, int last)
{
    if (first >= 0 && last >= first)
        emit headerDataChanged(Qt::Vertical, first, last);
}

bool ProvisionRowMarks::isFailed(int row) const
{
    const QVariant ok = QIdentityProxyModel::data(index(row, 0), ProvisioningResultModel::kOkRole);
    return ok.isValid() && !ok.toBool();
}

QVariant ProvisionRowMarks::data(const QModelIndex &index, int role) const
{
    if (index.isValid() && (role == Qt::BackgroundRole || role == Qt::ForegroundRole) &&
        isFailed(index.row()))
        return role == Qt::BackgroundRole ? kFailedBackground : kFailedText;
    return QIdentityProxyModel::data(index, role);
}

QVariant ProvisionRowMarks::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Vertical || section < 0 || section >= rowCount())
        return QIdentityProxyModel::headerData(section, orientation, role);
    const bool failed = isFailed(section);
    switch (role) {
    case Qt::DisplayRole:
        return failed ? translate(m_language, QStringLiteral("%1 Failed")).arg(section + 1)
                      : QString::number(section + 1);
    case Qt::BackgroundRole:
        return failed ? QVariant(kFailedBackground) : QVariant();
    case Qt::ForegroundRole:
        return failed ? QVariant(kFailedText) : QVariant();
    default:
        return QIdentityProxyModel::headerData(section, orientation, role);
    }
}
