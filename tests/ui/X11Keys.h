// The keys that type a text on a US keyboard, as xdotool's "key" command names them.
#pragma once

#include <QString>
#include <QStringList>

// One key or chord a character: Shift is held for capitals, ":" and "$"; '\n' is Return,
// '\t' Tab.
inline QStringList KeysOf(const QString& text)
{
    QStringList keys;
    for (const QChar c : text) {
        if (c == QChar(':'))
            keys << QStringLiteral("shift+semicolon");
        else if (c == QChar('$'))
            keys << QStringLiteral("shift+4");
        else if (c == QChar(';'))
            keys << QStringLiteral("semicolon");
        else if (c == QChar('/'))
            keys << QStringLiteral("slash");
        else if (c == QChar(' '))
            keys << QStringLiteral("space");
        else if (c == QChar('\n'))
            keys << QStringLiteral("Return");
        else if (c == QChar('\t'))
            keys << QStringLiteral("Tab");
        else if (c.isUpper())
            keys << QStringLiteral("shift+") + c.toLower();
        else
            keys << QString(c);
    }
    return keys;
}
