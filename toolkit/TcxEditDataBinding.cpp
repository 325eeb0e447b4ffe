#include "TcxEditDataBinding.h"

#include <QDateTime>

#include "ClientDataSet.h"
#include "Field.h"
#include "TcxCustomEdit.h"

TcxEditDataBinding::TcxEditDataBinding(TcxCustomEdit *editor, std::function<void(data::Field *)> show)
    : QObject(editor)
    , m_editor(editor)
    , m_show(std::move(show))
{
}

void TcxEditDataBinding::SetDataSource(data::DataSource *source)
{
    // Moving to another record, reloading or pointing at another dataset always
    // shows the field; a change of the current record leaves a text the user is
    // still typing alone.
    const auto show = [this] { onChanged(true); };
    const auto keepTyping = [this] { onChanged(false); };
    if (!m_link.follow(source, this, {show, show, show, keepTyping, keepTyping}))
        return;
    onChanged(true);
}

void TcxEditDataBinding::SetDataField(const QString &fieldName)
{
    if (m_fieldName == fieldName)
        return;
    m_fieldName = fieldName;
    onChanged(true);
}

data::Field *TcxEditDataBinding::Field() const
{
    if (!m_link.source() || m_fieldName.isEmpty())
        return nullptr;
    data::ClientDataSet *dataSet = m_link.dataSet();
    if (!dataSet || !dataSet->Active())
        return nullptr;
    return dataSet->FindField(m_fieldName);
}

void TcxEditDataBinding::post(const QVariant &value)
{
    data::Field *field = Field();
    if (!field)
        return;
    data::ClientDataSet *dataSet = field->DataSet();
    m_posting = true;
    struct Reset {
        bool &flag;
        ~Reset() { flag = false; }
    } reset{m_posting};

    if (dataSet->State() == data::DataSetState::Browse)
        dataSet->Edit();
    if (value.isNull()) {
        field->Clear();
    } else if (value.typeId() == QMetaType::QString) {
        field->SetAsString(value.toString());
    } else if (value.typeId() == QMetaType::QDate && field->DataType() == data::FieldType::DateTime) {
        field->SetValue(QDateTime(value.toDate(), QTime(0, 0)));
    } else if (value.typeId() == QMetaType::QDate && data::isTextType(field->DataType())) {
        field->SetAsString(value.toDate().toString(QStringLiteral("yyyy-MM-dd")));
    } else {
        field->SetValue(value);
    }
}

void TcxEditDataBinding::refresh()
{
    m_show(Field());
}

void TcxEditDataBinding::onChanged(bool force)
{
    // Our own write comes back as a change of the record; the editor already
    // shows what it wrote.
    if (m_posting)
        return;
    if (!force && m_editor->m_modified)
        return;
    m_editor->m_modified = false;
    refresh();
}
