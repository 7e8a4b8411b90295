#pragma once
// What a new category may be called. Its name is the folder's name below the
// templates folder and a value of the user file, which Windows installations
// read too, so the name has to be a good folder name on both systems and
// survive the file's code page.

#include <QString>

namespace vv {

enum class CategoryNameProblem {
    None,
    Empty,
    TooLong,            // more than kMaxCategoryName characters
    ControlCharacter,   // TAB, line feed and the other control characters
    ForbiddenCharacter, // / \ : * ? " < > |
    BlankOrDotAtEnd,    // also "." and ".."
    ReservedName,       // CON, PRN, AUX, NUL, COM1..9, LPT1..9 (Windows devices)
    QuotedName,         // 'x': the profile reader would strip the quotes
    NotStorable,        // a character Windows-1252 has no form for
    Exists,             // a category or a folder of that name, letter case ignored
    TooMany,            // nine categories: the main window shows no more
    NoFreeKey,          // key "09" is taken while a gap is left before it
};

inline constexpr int kMaxCategoryName = 64;

// The rules that need nothing but the name.
CategoryNameProblem CheckCategoryName(const QString &name);

} // namespace vv
