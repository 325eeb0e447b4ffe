#pragma once

#include <QString>
#include <QVector>

// A unit the template lists on its second sheet, for the person filling it in.
struct ImportTemplateUnit
{
    QString code;
    QString name;
};

// Writes the import template (XLSX): the sheet "用户" with the header the
// reader matches (姓名, 所属单位代码, 所属单位名称, 联系方式, 级别, 序号; the
// codes and the serial formatted as text, so 01 stays 01) and no rows, and
// the sheet "单位" listing the given units by code and name. The file is
// written whole or not at all: into a temporary file beside it, then renamed
// over it. Returns an empty text on success, else why it failed (Chinese; the
// reason alone, for the caller to say what failed).
QString writeImportTemplate(const QString &path, const QVector<ImportTemplateUnit> &units);
