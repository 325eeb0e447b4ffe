#pragma once

class QEvent;
class QLineEdit;

// Escape in a search box empties it and goes no further: the box takes the
// key before any shortcut of the window could. True when event was that
// Escape (without modifiers, or with any when anyModifiers), which the
// caller's filter then stops.
bool emptiesOnEscape(QLineEdit *edit, QEvent *event, bool anyModifiers);
