#pragma once

#include <QList>
#include <QObject>

class TcxStyle;

// Owns styles.
class TcxStyleRepository : public QObject
{
    Q_OBJECT

public:
    explicit TcxStyleRepository(QObject *parent = nullptr);

    // A new style owned by the repository, with the given object name.
    TcxStyle *CreateStyle(const QString &name = QString());
    int Count() const { return m_styles.size(); }
    TcxStyle *Style(int index) const { return m_styles.value(index); }

private:
    QList<TcxStyle *> m_styles;
};
