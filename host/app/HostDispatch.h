#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QVariant>

#include <functional>

class QFontMetrics;
class QWidget;

// The host's automation object handed to the module as HostDispatch: messages,
// questions, Base64 decoding and the search codes of names. The module calls it
// late-bound, by member name.
class HostDispatch : public QObject
{
    Q_OBJECT

public:
    explicit HostDispatch(QObject *parent = nullptr);

    // The window that messages are shown over (may be null).
    void setDialogParent(QWidget *parent) { m_dialogParent = parent; }

    // Answers messages and questions instead of the message boxes, e.g. for an
    // unattended run: returns the answer to a question (1 yes, 0 no); for a
    // message the result is ignored.
    using Responder = std::function<int(const QString &text, bool question)>;
    void setResponder(Responder responder) { m_responder = std::move(responder); }

    Q_INVOKABLE void Prompt(const QString &text);
    // 1 when the user answers yes, 0 otherwise.
    Q_INVOKABLE int Confirm(const QString &text);
    Q_INVOKABLE QString MimeDecode(const QString &text);
    Q_INVOKABLE QString GetPYM(const QString &text);
    Q_INVOKABLE QString GetWBM(const QString &text);
    // Values the module passes on to the code picker unchanged: the picker's
    // search-code kind and the connection it lists from.
    Q_INVOKABLE QVariant GetSRM();
    Q_INVOKABLE QVariant conMain();

    // Settings the module keeps between runs (a grid's layout), per login:
    // kept in an ini file of the host's under the login's group.
    void setSettingsFile(const QString &file, const QString &login);
    Q_INVOKABLE QString ReadSetting(const QString &key);
    Q_INVOKABLE void WriteSetting(const QString &key, const QString &value);

    // Writes a table the module lists to a file the user chooses (CSV with a
    // byte-order mark, or .xlsx), and says where. rows: one QStringList per row.
    Q_INVOKABLE void ExportTable(const QString &title, const QStringList &headers, const QVariantList &rows);
    // Chooses the export file instead of the file dialog (empty: cancelled),
    // e.g. for an unattended run.
    using FileChooser = std::function<QString(const QString &title)>;
    // The export dialog's kinds of file, the workbook first: it keeps codes as
    // text, while a spreadsheet program reads a long code in CSV as a number
    // (340101101001 as 3.40101E+11), which the CSV's entry says.
    static QString workbookFilter() { return QStringLiteral("Excel 工作簿 (*.xlsx)"); }
    static QString csvFilter() { return QStringLiteral("CSV 文件 - 表格程序会把长代码读成数字 (*.csv)"); }
    void setExportFileChooser(FileChooser chooser) { m_exportFile = std::move(chooser); }

    // What a message box shows of text: at most kMaxBoxLines lines and
    // kMaxBoxChars characters.
    static constexpr int kMaxBoxLines = 20;
    static constexpr int kMaxBoxChars = 1500;
    static QString boxText(const QString &text);
    // How wide a message box is at least: its title, and the room a window
    // frame takes beside it for its icon and buttons.
    static constexpr int kTitleFrameRoom = 200;
    static int boxMinimumWidth(const QString &title, const QFontMetrics &metrics);

signals:
    // Every message and question, for a log window or a test.
    void messageShown(const QString &text);
    void questionAsked(const QString &text, int answer);

private:
    QPointer<QWidget> m_dialogParent;
    Responder m_responder;
    FileChooser m_exportFile;
    QString m_settingsFile;
    QString m_login;
};
