#include "net/playername.h"

#include <QStringView>

namespace names {

bool hasHiddenCharacters(const QString &text) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        char32_t code = c.unicode();
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            code = QChar::surrogateToUcs4(c, text.at(++i));
        else if (c.isSurrogate())
            return true;
        switch (QChar::category(code)) {
        case QChar::Other_Control:
        case QChar::Other_Format:
        case QChar::Other_Surrogate:
        case QChar::Separator_Line:
        case QChar::Separator_Paragraph:
            return true;
        default:
            break;
        }
    }
    return false;
}

QString problem(const QString &name) {
    if (name.trimmed().isEmpty())
        return QStringLiteral("Please enter a name.");
    if (name.size() > kMaxLength)
        return QStringLiteral("A name has at most %1 characters.").arg(kMaxLength);
    if (name.contains(QLatin1Char('+')))
        return QStringLiteral("A name cannot contain \"+\".");
    if (hasHiddenCharacters(name))
        return QStringLiteral("A name cannot contain control characters.");
    return {};
}

} // namespace names
