#pragma once

#include <QString>

#include <memory>

#include "ClientDataSet.h"
#include "DataPacket.h"

// What every host session does the same way, whatever database is behind it.

// A client dataset holding the packet, open on its first row, owned by the caller.
std::unique_ptr<data::ClientDataSet> clientDataSetFromPacket(data::DataPacket packet);

// Every occurrence of placeholder in source replaced by value, as plain text
// (no pattern), case-sensitively. An empty placeholder changes nothing.
QString replacePlaceholderText(const QString &source, const QString &value, const QString &placeholder);
