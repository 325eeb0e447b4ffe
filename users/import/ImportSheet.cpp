#include "ImportSheet.h"

QString importColumnCaption(ImportColumn c)
{
    switch (c) {
    case ImportColumn::Name: return QStringLiteral("姓名");
    case ImportColumn::UnitCode: return QStringLiteral("所属单位代码");
    case ImportColumn::UnitName: return QStringLiteral("所属单位名称");
    case ImportColumn::Contact: return QStringLiteral("联系方式");
    case ImportColumn::Grade: return QStringLiteral("级别");
    case ImportColumn::Serial: return QStringLiteral("序号");
    }
    return QString();
}
