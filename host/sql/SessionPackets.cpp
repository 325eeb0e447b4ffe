#include "SessionPackets.h"

std::unique_ptr<data::ClientDataSet> clientDataSetFromPacket(data::DataPacket packet)
{
    auto dataSet = std::make_unique<data::ClientDataSet>();
    dataSet->SetData(std::move(packet));
    return dataSet;
}

QString replacePlaceholderText(const QString &source, const QString &value, const QString &placeholder)
{
    // An empty placeholder would match between every two characters.
    if (placeholder.isEmpty())
        return source;
    QString result = source;
    result.replace(placeholder, value, Qt::CaseSensitive);
    return result;
}
