#pragma once

#include <QString>

// The text of a statement (or of a message that quotes statements) fit for a
// log or a message box: the values given to a password column are replaced by
// '***' — after "PassWord =" (also <>, !=, Like, In (...), and the value
// before "= PassWord") and, in "Insert Into t (..., PassWord) Values (...)" or
// "... Select ...", the values in the password column's place. Everything else
// is kept as written. Literals are read the way the engines read them ('' for
// a quote inside, N'..'), as are [bracketed] and "quoted" names and comments,
// so a quote or a keyword inside a value never shifts what is masked.
//
// Sits here, below both the module and the host: the host's sessions write
// failing statements to the log, and the module logs the failures it is handed.
QString maskSecrets(const QString &text);
