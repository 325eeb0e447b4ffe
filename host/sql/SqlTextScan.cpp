#include "SqlTextScan.h"

SqlPieces scanSqlPieces(const QString &sql)
{
    SqlPieces pieces;
    const qsizetype n = sql.size();
    qsizetype i = 0;
    auto at = [&](qsizetype k) { return k < n ? sql.at(k) : QChar(); };
    while (i < n) {
        const qsizetype start = i;
        const QChar c = sql.at(i);
        if (c == u'-' && at(i + 1) == u'-') {
            while (i < n && sql.at(i) != u'\n' && sql.at(i) != u'\r')
                ++i;
            pieces.comments << sql.mid(start, i - start);
        } else if (c == u'/' && at(i + 1) == u'*') {
            int depth = 0;
            do {
                if (at(i) == u'/' && at(i + 1) == u'*') {
                    ++depth;
                    i += 2;
                } else if (at(i) == u'*' && at(i + 1) == u'/') {
                    --depth;
                    i += 2;
                } else {
                    ++i;
                }
            } while (i < n && depth > 0);
            pieces.comments << sql.mid(start, qMin(i, n) - start);
        } else if (c == u'\'' || c == u'"' || c == u'[') {
            const QChar close = c == u'[' ? QChar(u']') : c;
            QString value;
            for (++i; i < n; ++i) {
                if (sql.at(i) == close) {
                    if (at(i + 1) != close)
                        break;
                    ++i;
                }
                value += sql.at(i);
            }
            i = qMin(i + 1, n);
            if (c == u'\'')
                pieces.literals << value;
            else
                pieces.names << sql.mid(start, i - start);
        } else {
            ++i;
        }
    }
    return pieces;
}
