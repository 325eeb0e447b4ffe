#pragma once

#include <QChar>
#include <QObject>
#include <QString>
#include <QVariant>

#include <functional>

// Events of the form toolkit are single, replaceable handlers: assigning one
// replaces whatever was there before (the dictionary binder relies on that when
// it takes over an editor's OnExit). An unset handler is simply not called.

// Plain notification: the sender is the component that raised it.
using TNotifyEvent = std::function<void(QObject *sender)>;

// Key-down: key is a Qt key code; a handler sets it to 0 to consume the key
// before the editor sees it.
using TKeyEvent = std::function<void(QObject *sender, int &key, Qt::KeyboardModifiers shift)>;

// Key-press: the typed character ('\r' for Enter, QChar(4) for Ctrl+D). A
// handler may replace it, or set it to QChar(0) to consume it.
using TKeyPressEvent = std::function<void(QObject *sender, QChar &key)>;

// Validation on leaving an editor: error comes in as the toolkit's own verdict;
// a handler may change the shown value, the message and the verdict.
using TValidateEvent =
    std::function<void(QObject *sender, QVariant &displayValue, QString &errorText, bool &error)>;

// How a drop-down editor treats typed text.
enum TcxEditDropDownListStyle {
    lsEditFixedList,  // typing picks the matching item only
    lsEditList,       // free typing plus picking
    lsFixedList,      // picking only
};

// The toolkit's painting families.
enum TcxLookAndFeelKind { lfFlat, lfStandard, lfUltraFlat, lfOffice11 };

// Footer summary kinds of a grid view.
enum TcxSummaryKind { skNone, skSum, skMin, skMax, skCount, skAverage };
