#pragma once

#include <QObject>
#include <QString>
#include <QVariant>

#include <functional>

#include "DataSource.h"
#include "DataSourceLink.h"

class TcxCustomEdit;

// DataBinding of a data-aware editor: follows the data source (scrolling,
// changes of the record, another dataset) and shows the bound field of the
// current record in the editor; writes the editor's value back to the field.
class TcxEditDataBinding : public QObject
{
    Q_OBJECT

public:
    // show(field) puts the field's current value into the editor (field is
    // nullptr when the binding has no field: the editor shows no value).
    TcxEditDataBinding(TcxCustomEdit *editor, std::function<void(data::Field *)> show);

    data::DataSource *DataSource() const { return m_link.source(); }
    void SetDataSource(data::DataSource *source);
    QString DataField() const { return m_fieldName; }
    void SetDataField(const QString &fieldName);

    // The bound field of an open dataset; nullptr when there is none.
    data::Field *Field() const;

    // Writes value to the field (null clears it, text converts to the field's
    // type), putting a browsing dataset into Edit state. Does nothing without a
    // field. Raises data::LumoError when the value does not convert.
    void post(const QVariant &value);

    // Shows the field's current value in the editor (null when unbound).
    void refresh();

private:
    void onChanged(bool force);

    TcxCustomEdit *m_editor;
    std::function<void(data::Field *)> m_show;
    DataSourceLink m_link;
    QString m_fieldName;
    bool m_posting = false;
};
