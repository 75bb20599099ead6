// Splits a theme's name into words and looks for the one that makes it dark.
#include "platform/workspace/ThemeName.h"

namespace huddlepod {

bool isDarkThemeName(const QString& name) {
    const auto isDarkWord = [](const QString& word) {
        return word.compare(QLatin1String("dark"), Qt::CaseInsensitive) == 0 ||
               word.compare(QLatin1String("inverse"), Qt::CaseInsensitive) == 0;
    };
    QString word;
    for (qsizetype i = 0; i < name.size(); ++i) {
        const QChar c = name.at(i);
        const bool wordBreak =
            !c.isLetterOrNumber() ||
            (c.isUpper() && i > 0 && (name.at(i - 1).isLower() || name.at(i - 1).isDigit()));
        if (wordBreak) {
            if (isDarkWord(word)) {
                return true;
            }
            word.clear();
        }
        if (c.isLetterOrNumber()) {
            word.append(c);
        }
    }
    return isDarkWord(word);
}

bool isHighContrastThemeName(const QString& name) {
    return name.contains(QLatin1String("highcontrast"), Qt::CaseInsensitive);
}

} // namespace huddlepod
