#pragma once

#include <QDialog>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>

class HostSession;
class CodePickerRows;
class QAbstractItemModel;
class QLabel;
class QLineEdit;
class QTableView;
class QTimer;

// The host's code picker as the module drives it, late-bound by member name: set
// the table, condition, order and captioned field list, then Show() it modally and
// read the chosen row with GetCodeValue(caption).
class CodePicker : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString Table MEMBER m_table)
    Q_PROPERTY(QString Where MEMBER m_where)
    Q_PROPERTY(QString OrderBy MEMBER m_orderBy)
    Q_PROPERTY(QString FieldList MEMBER m_fieldList)
    Q_PROPERTY(QString Spell MEMBER m_spell)
    Q_PROPERTY(QString Wbx MEMBER m_wbx)
    Q_PROPERTY(QString Code MEMBER m_code)
    Q_PROPERTY(int SearchTime MEMBER m_searchTime)
    Q_PROPERTY(QVariant CodeType MEMBER m_codeType)
    Q_PROPERTY(QVariant conType MEMBER m_conType)

public:
    CodePicker(HostSession *session, QObject *parent = nullptr);

    void setDialogParent(QWidget *parent) { m_dialogParent = parent; }

    Q_INVOKABLE void Init();
    Q_INVOKABLE void SetPosition(int left, int top, int width);
    Q_INVOKABLE void Show();
    Q_INVOKABLE QString GetCodeValue(const QString &caption);

    // One "expression As caption" entry of the field list.
    struct Column
    {
        QString expression;
        QString caption;
    };
    static QVector<Column> parseFieldList(const QString &fieldList);
    // The statement for a search text: the condition, and when the text is not
    // empty, codes or search codes beginning with it.
    QString searchStatement(const QString &text) const;

signals:
    // The dialog is up (for tests and automation: the dialog is the sender's child).
    void dialogShown(QDialog *dialog);

private:
    HostSession *m_session;
    QPointer<QWidget> m_dialogParent;
    QString m_table, m_where, m_orderBy, m_fieldList, m_spell, m_wbx, m_code;
    int m_searchTime = 2000;
    QVariant m_codeType, m_conType;
    int m_position[3] = {0, 0, 0};
    QStringList m_captions;
    QVariantList m_chosen;
};

// The picker window: a search box and the rows that match its text. The list
// never shows rows of another text: a search that is quick (the usual case)
// runs on every edit; a slow one runs once the user has stopped typing for the
// search time, and the list stays empty meanwhile. 确定, Enter and a
// double-click choose from the results of the text as it stands, searching
// first when a search is still due.
class CodePickerDialog : public QDialog
{
    Q_OBJECT

public:
    CodePickerDialog(CodePicker *picker, HostSession *session, bool healthRecord, int searchTime,
                     QWidget *parent);
    ~CodePickerDialog() override;

    QLineEdit *searchEdit() const { return m_search; }
    QTableView *table() const { return m_table; }
    QAbstractItemModel *model() const;
    // Runs the search for the box's text now.
    void search();
    // The chosen row's values, in column order; empty when nothing was chosen.
    QVariantList chosenRow() const { return m_chosen; }
    // Chooses the current row of the box's own results; with no row, nothing.
    void chooseCurrent();

    static constexpr int kMaxRows = 1000;
    // A search that answered within this time runs again on each edit: it
    // keeps pace with typing.
    static constexpr qint64 kPromptSearchMs = 50;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void textEdited();
    // Whether the rows on show are those of the box's text.
    bool resultsCurrent() const;
    void fitCodeColumn();

    CodePicker *m_picker;
    HostSession *m_session;
    bool m_healthRecord;
    QLineEdit *m_search;
    QTableView *m_table;
    CodePickerRows *m_rows;
    QLabel *m_status;
    QTimer *m_timer;
    QVariantList m_chosen;
    // The text whose rows are on show, once a search has run.
    QString m_searchedText;
    bool m_searched = false;
    // How long the last search took; -1 before the first.
    qint64 m_lastSearchMs = -1;
};
