#include "CategoryName.h"

#include "Cp1252.h"

#include <QRegularExpression>

namespace vv {

CategoryNameProblem CheckCategoryName(const QString &name)
{
    if (name.isEmpty())
        return CategoryNameProblem::Empty;
    if (name.size() > kMaxCategoryName)
        return CategoryNameProblem::TooLong;
    for (const QChar c : name) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f || c.category() == QChar::Other_Control)
            return CategoryNameProblem::ControlCharacter;
        if (QStringLiteral("/\\:*?\"<>|").contains(c))
            return CategoryNameProblem::ForbiddenCharacter;
    }
    const auto badEnd = [](QChar c) { return c == u'.' || c.isSpace(); };
    if (badEnd(name.front()) || badEnd(name.back()))
        return CategoryNameProblem::BlankOrDotAtEnd;
    // Windows takes these for devices, also with an extension ("nul.txt").
    static const QRegularExpression device(QStringLiteral("^(con|prn|aux|nul|com[1-9]|lpt[1-9])(\\..*)?$"),
                                           QRegularExpression::CaseInsensitiveOption);
    if (device.match(name).hasMatch())
        return CategoryNameProblem::ReservedName;
    if (name.size() >= 2 && name.front() == u'\'' && name.back() == u'\'')
        return CategoryNameProblem::QuotedName;
    if (FromCp1252(ToCp1252(name)) != name)
        return CategoryNameProblem::NotStorable;
    return CategoryNameProblem::None;
}

} // namespace vv
