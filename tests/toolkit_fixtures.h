#pragma once

// Datasets and windows shared by the toolkit's tests.

#include <QApplication>
#include <QTest>
#include <QVariant>
#include <QVector>
#include <QWidget>

#include <memory>

#include "ClientDataSet.h"
#include "DataPacket.h"
#include "DataSource.h"

namespace toolkittest {

inline data::FieldDef def(const QString &name, data::FieldType type = data::FieldType::String, int size = 0)
{
    return data::FieldDef{name, type, size};
}

// A dataset with a data source over it, filled from rows.
struct BoundData
{
    data::ClientDataSet dataSet;
    data::DataSource source;

    BoundData(QVector<data::FieldDef> fields, QVector<QVector<QVariant>> rows)
    {
        dataSet.SetData(data::DataPacket{std::move(fields), std::move(rows)});
        source.SetDataSet(&dataSet);
    }

    void load(QVector<data::FieldDef> fields, QVector<QVector<QVariant>> rows)
    {
        dataSet.SetData(data::DataPacket{std::move(fields), std::move(rows)});
    }
};

// Shows a top-level window and waits until it is active, so focus changes
// raise real focus events under the offscreen platform.
inline bool showActive(QWidget &window)
{
    window.show();
    window.activateWindow();
    QApplication::setActiveWindow(&window);
    return QTest::qWaitForWindowActive(&window);
}

// Types text, Chinese included, into whatever widget has the focus.
inline void typeText(QWidget *target, const QString &text)
{
    for (const QChar ch : text)
        QTest::sendKeyEvent(QTest::Click, target, Qt::Key_unknown, QString(ch), Qt::NoModifier);
}

} // namespace toolkittest
